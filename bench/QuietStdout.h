// The map's trace lines would swamp a benchmark report; while one of these
// lives, standard output goes to /dev/null.
#pragma once

#include <unistd.h>

#include <cstdio>

struct QuietStdout {
  int saved;
  QuietStdout() {
    fflush(stdout);
    saved = dup(1);
    FILE* null = fopen("/dev/null", "w");
    dup2(fileno(null), 1);
    fclose(null);
  }
  ~QuietStdout() {
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
  }
  QuietStdout(const QuietStdout&) = delete;
  QuietStdout& operator=(const QuietStdout&) = delete;
};
