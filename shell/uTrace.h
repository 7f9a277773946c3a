// Trace lines on standard output. Flushed at once: tests and tools read them
// from a pipe while the program runs.
#pragma once

#include <cstdio>
#include <string>

inline void Trace(const std::string& Line) {
  std::fputs(Line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}
