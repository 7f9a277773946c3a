#include "zgl_path.h"

std::string zglMapPath(const char* FileName) {
  std::string path = FileName ? FileName : "";
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}
