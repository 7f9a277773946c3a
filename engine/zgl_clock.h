// The fixed-interval timer: a leftover-time counter fed with each frame's
// elapsed time, telling how many ticks are due. Large gaps are clamped so a
// stall runs a bounded catch-up instead of a burst.
#pragma once

#include <cstdint>

struct ZglTickClock {
  double intervalMs = 15.0;
  double leftoverMs = 0.0;
  int maxCatchUp = 8;  // ticks run at most per frame; older time is dropped

  // Adds elapsedMs of real time; returns the number of ticks to run now.
  int Advance(double elapsedMs);
};
