#include "zgl_clock.h"

int ZglTickClock::Advance(double elapsedMs) {
  if (elapsedMs > 0) leftoverMs += elapsedMs;
  int ticks = static_cast<int>(leftoverMs / intervalMs);
  if (ticks > maxCatchUp) {
    // A stall (a dragged window, a breakpoint): run a bounded catch-up and drop the rest.
    ticks = maxCatchUp;
    leftoverMs = 0;
    return ticks;
  }
  leftoverMs -= ticks * intervalMs;
  return ticks;
}
