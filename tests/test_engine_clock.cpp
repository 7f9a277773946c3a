#include <gtest/gtest.h>

#include <cmath>

#include "engine/zgl_clock.h"

namespace {

// Feeds Frames frames of FrameMs each; returns the ticks run and the most run in one frame.
struct ClockRun {
  int ticks = 0, mostInOneFrame = 0;
};
ClockRun Feed(ZglTickClock& clock, double frameMs, int frames) {
  ClockRun r;
  for (int i = 0; i < frames; i++) {
    int n = clock.Advance(frameMs);
    r.ticks += n;
    r.mostInOneFrame = std::max(r.mostInOneFrame, n);
  }
  return r;
}

}  // namespace

// One second is 1000 / 15 = 66.7 intervals of 15 ms, so 66 or 67 ticks
// whatever the frame rate; no frame runs more ticks than its time covers.
TEST(EngineClock, TicksPerSecondDoNotDependOnFrameRate) {
  for (int hz : {30, 60, 144, 1000}) {
    SCOPED_TRACE(hz);
    ZglTickClock clock;
    ClockRun r = Feed(clock, 1000.0 / hz, hz);
    EXPECT_GE(r.ticks, 66);
    EXPECT_LE(r.ticks, 67);
    EXPECT_LE(r.mostInOneFrame, static_cast<int>(std::ceil(1000.0 / hz / 15.0)));
  }
}

// Over ten seconds at 144 Hz the leftover time carries over between frames:
// 10000 / 15 = 666.7 ticks, so no fraction is lost per frame.
TEST(EngineClock, LeftoverTimeCarriesAcrossFrames) {
  ZglTickClock clock;
  ClockRun r = Feed(clock, 1000.0 / 144, 1440);
  EXPECT_GE(r.ticks, 666);
  EXPECT_LE(r.ticks, 667);
}

// Uneven frames (5 ms and 28 ms in turn, 33 ms a pair) still add up: 30 pairs
// are 990 ms, 66 ticks.
TEST(EngineClock, UnevenFramesAddUp) {
  ZglTickClock clock;
  int ticks = 0;
  for (int i = 0; i < 30; i++) ticks += clock.Advance(5) + clock.Advance(28);
  EXPECT_EQ(ticks, 66);
}

// A 2 s stall would owe 133 ticks; the clock runs its bounded catch-up in that
// frame, drops the rest, and the following 60 Hz frames go on at one tick or none.
TEST(EngineClock, StallRunsBoundedCatchUp) {
  ZglTickClock clock;
  Feed(clock, 1000.0 / 60, 60);
  int catchUp = clock.Advance(2000);
  EXPECT_EQ(catchUp, clock.maxCatchUp);
  EXPECT_LT(catchUp, 133);
  ClockRun after = Feed(clock, 1000.0 / 60, 60);
  EXPECT_LE(after.mostInOneFrame, 2);
  EXPECT_GE(after.ticks, 66);
  EXPECT_LE(after.ticks, 67);
}

TEST(EngineClock, NoTimeNoTicks) {
  ZglTickClock clock;
  EXPECT_EQ(clock.Advance(0), 0);
  EXPECT_EQ(clock.Advance(-50), 0);  // a counter going backwards adds nothing
  EXPECT_EQ(clock.Advance(14.9), 0);
  EXPECT_EQ(clock.Advance(0.2), 1);
}
