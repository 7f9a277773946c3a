#include "uZenGL.h"

#include <dlfcn.h>
#include <unistd.h>

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

void (*zgl_Reg)(uint32_t, zglCallback) = nullptr;
void* (*timer_Add)(zglCallback, uint32_t) = nullptr;
void (*scr_SetOptions)(uint16_t, uint16_t, uint16_t, bool, bool) = nullptr;
void (*wnd_ShowCursor)(bool) = nullptr;
void (*wnd_SetCaption)(const char*) = nullptr;
void (*zgl_Init)(uint8_t, uint8_t) = nullptr;
int32_t (*mouse_X)() = nullptr;
int32_t (*mouse_Y)() = nullptr;
bool (*mouse_Down)(uint8_t) = nullptr;
bool (*mouse_Click)(uint8_t) = nullptr;
bool (*key_Down)(uint8_t) = nullptr;
void (*key_ClearState)() = nullptr;
void (*mouse_ClearState)() = nullptr;
zglPTexture (*tex_LoadFromFile)(const char*, uint32_t, uint32_t) = nullptr;
zglPFont (*font_LoadFromFile)(const char*) = nullptr;
void (*csprite2d_Draw)(zglPTexture, float, float, float, float, float, const zglTRect*, uint8_t, uint32_t) = nullptr;
void (*text_DrawEx)(zglPFont, float, float, float, float, const char*, uint8_t, uint32_t, uint32_t) = nullptr;
void (*pr2d_Rect)(float, float, float, float, uint32_t, uint8_t, uint32_t) = nullptr;
void (*pr2d_Circle)(float, float, float, uint32_t, uint8_t, uint16_t, uint32_t) = nullptr;
void (*pr2d_Line)(float, float, float, float, uint32_t, uint8_t, uint32_t) = nullptr;
bool (*col2d_PointInRect)(float, float, const zglTRect*) = nullptr;
bool (*col2d_PointInCircle)(float, float, const zglTCircle*) = nullptr;

namespace {

std::string ExecutableDir() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  buf[n] = 0;
  std::string s(buf);
  size_t slash = s.rfind('/');
  return slash == std::string::npos ? "." : s.substr(0, slash);
}

template <typename T>
void Bind(void* lib, T& ptr, const char* name) {
  // The library's exports are looked up one by one and not checked, as the
  // engine contract says; a missing one stays nullptr.
  ptr = reinterpret_cast<T>(dlsym(lib, name));
}

}  // namespace

const char* EngineLibraryPath(const char* LibraryName) {
  static std::string path;
  std::string name = LibraryName ? LibraryName : "";
  size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && strcasecmp(name.c_str() + dot, ".dll") == 0) name = name.substr(0, dot);
  path = ExecutableDir() + "/lib" + name + ".so";
  return path.c_str();
}

bool BindEngine(const char* LibraryName, bool ShowError) {
  void* lib = dlopen(EngineLibraryPath(LibraryName), RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    const char* text = "Error while loading ZenGL";
    fprintf(stderr, "%s\n", text);
    fflush(stderr);
    const char* display = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    if (ShowError && ((display && *display) || (wayland && *wayland)))
      SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", text, nullptr);
    return false;
  }
  Bind(lib, zgl_Reg, "zgl_Reg");
  Bind(lib, timer_Add, "timer_Add");
  Bind(lib, scr_SetOptions, "scr_SetOptions");
  Bind(lib, wnd_ShowCursor, "wnd_ShowCursor");
  Bind(lib, wnd_SetCaption, "wnd_SetCaption");
  Bind(lib, zgl_Init, "zgl_Init");
  Bind(lib, mouse_X, "mouse_X");
  Bind(lib, mouse_Y, "mouse_Y");
  Bind(lib, mouse_Down, "mouse_Down");
  Bind(lib, mouse_Click, "mouse_Click");
  Bind(lib, key_Down, "key_Down");
  Bind(lib, key_ClearState, "key_ClearState");
  Bind(lib, mouse_ClearState, "mouse_ClearState");
  Bind(lib, tex_LoadFromFile, "tex_LoadFromFile");
  Bind(lib, font_LoadFromFile, "font_LoadFromFile");
  Bind(lib, csprite2d_Draw, "csprite2d_Draw");
  Bind(lib, text_DrawEx, "text_DrawEx");
  Bind(lib, pr2d_Rect, "pr2d_Rect");
  Bind(lib, pr2d_Circle, "pr2d_Circle");
  Bind(lib, pr2d_Line, "pr2d_Line");
  Bind(lib, col2d_PointInRect, "col2d_PointInRect");
  Bind(lib, col2d_PointInCircle, "col2d_PointInCircle");
  return true;
}
