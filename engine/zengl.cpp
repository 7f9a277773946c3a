extern "C" int zgl_placeholder() { return 0; }
