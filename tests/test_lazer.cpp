#include <gtest/gtest.h>

#include <cmath>

#include "tests/objects_play.h"

namespace {

class LazerTest : public ObjectsPlay {};

constexpr float kEps = 1e-3f;

// Nothing in front: each tick's beam is one ray of BeamLength from 2 px past Origin,
// and Origin lies 0.4 * W + 1 px ahead of the box's position along its angle.
TEST_F(LazerTest, BeamGrowsOutOfTheBoxAlongItsAngle) {
  struct Case {
    int32_t angle, w;
    float dx, dy;          // expected emission direction
    float originAhead;     // 0.4 * W + 1
  };
  const Case cases[] = {
      {0, 40, 1, 0, 17},   // palette box: shoots to the right
      {90, 40, 0, 1, 17},  // turned a quarter clockwise: straight down
      {180, 40, -1, 0, 17},
      {0, 50, 1, 0, 21},   // E 20 px ahead, Origin 21, first ray from 23
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "angle " << c.angle << " W " << c.w);
    objs.clear();
    TLazerBox* box = Laser(300, 300, c.angle, 0, c.w);
    Start();
    const b2Vec2 pos(300, 300), dir(c.dx, c.dy);
    for (int tick = 1; tick <= 2; ++tick) {
      Tick();
      ASSERT_EQ(world->Lazers.size(), 1u);
      TLazer* beam = world->Lazers[0];
      EXPECT_EQ(box->Lazer, beam);
      EXPECT_FLOAT_EQ(box->BeamLength, 15.0f * tick);
      EXPECT_NEAR(beam->Dir.x, c.dx, kEps);
      EXPECT_NEAR(beam->Dir.y, c.dy, kEps);
      const b2Vec2 origin = pos + c.originAhead * dir;
      EXPECT_NEAR(beam->Origin.x, origin.x, kEps);
      EXPECT_NEAR(beam->Origin.y, origin.y, kEps);
      ASSERT_EQ(beam->Points.size(), 1u);
      const b2Vec2 end = origin + (2.0f + 15.0f * tick) * dir;  // tick 1: Origin + 17 * Dir
      EXPECT_NEAR(beam->Points[0].x, end.x, kEps);
      EXPECT_NEAR(beam->Points[0].y, end.y, kEps);
    }
  }
}

TEST_F(LazerTest, FirstTickDrawsOneSeventeenPixelLine) {
  Laser(100, 100, 0);
  Start();
  Tick();
  engine.ClearCalls();
  world->Lazers[0]->Draw(kMapX, kMapY);
  ASSERT_EQ(engine.Count(FakeCall::Line), 1u);
  const FakeCall& line = engine.calls[0];
  // Origin = (100 + 16 + 1, 100), shifted by the map's origin.
  EXPECT_FLOAT_EQ(line.X, kMapX + 117.0f);
  EXPECT_FLOAT_EQ(line.Y, kMapY + 100.0f);
  EXPECT_FLOAT_EQ(line.X2() - line.X, 17.0f);
  EXPECT_FLOAT_EQ(line.Y2(), line.Y);
  EXPECT_EQ(line.color, 0xF02222u);
  EXPECT_EQ(line.alpha, 215);
  EXPECT_EQ(line.fx, 0x20000u);
}

TEST_F(LazerTest, BeamLengthIsKeptWhenPlayStartsAgain) {
  TLazerBox* box = Laser(100, 100, 0);
  Start();
  Ticks(3);
  Start();  // stop and play again: a new world, the box keeps its length
  Tick();
  EXPECT_FLOAT_EQ(box->BeamLength, 60.0f);
  ASSERT_EQ(world->Lazers[0]->Points.size(), 1u);
  EXPECT_NEAR(world->Lazers[0]->Points[0].x, 117.0f + 62.0f, kEps);
}

TEST_F(LazerTest, BlackAndWhiteObjectsStopTheBeamAndStayPut) {
  for (uint8_t color : {0, 1}) {
    SCOPED_TRACE(int(color));
    objs.clear();
    Laser(100, 100, 0, 485);
    // A dynamic wall in a world without gravity: any push from the beam would show.
    TMapObj* wall = Rect(200, 100, 10, 100, true, color);
    Start(0, 0);
    Tick();
    TLazer* beam = world->Lazers[0];
    ASSERT_EQ(beam->Points.size(), 1u);
    EXPECT_NEAR(beam->Points[0].x, 195.0f, kEps);  // the wall's left face
    EXPECT_NEAR(beam->Points[0].y, 100.0f, kEps);
    Tick();
    EXPECT_EQ(wall->Body->GetLinearVelocity(), b2Vec2(0, 0));
    EXPECT_EQ(wall->Body->GetPosition(), b2Vec2(200, 100));
  }
}

TEST_F(LazerTest, MirrorAt45DegreesTurnsTheBeamByARightAngle) {
  Laser(100, 100, 0, 285);  // 300 px after the first tick
  // The mirror's face looks towards (-1, -1) / sqrt 2 and lies 5 px from its centre:
  // the beam along y = 100 meets it at x = 200 - 5 * sqrt 2.
  Rect(200, 100, 10, 100, false, 2, 45);
  Start();
  Tick();
  TLazer* beam = world->Lazers[0];
  ASSERT_EQ(beam->Points.size(), 2u);
  const float hitX = 200.0f - 5.0f * std::sqrt(2.0f);
  EXPECT_NEAR(beam->Points[0].x, hitX, 0.01f);
  EXPECT_NEAR(beam->Points[0].y, 100.0f, 0.01f);
  // The first ray starts at x = 119; what is left goes straight up.
  const float left = 300.0f - (hitX - 119.0f);
  EXPECT_NEAR(beam->Points[1].x, hitX, 0.01f);
  EXPECT_NEAR(beam->Points[1].y, 100.0f - left, 0.01f);
}

// Mirrors with faces at y = 50 and y = 150; a box at (100, 100) turned 45 degrees
// shoots along x = y, so hits come at x = 150, 250, 350, ... alternately low and
// high, the first 51.7 px from the ray's start and then every 100 * sqrt 2 px.
TEST_F(LazerTest, ParallelMirrorsBounceAtMostTenTimes) {
  struct Case {
    float length;
    size_t points;
  };
  const float first = (150.0f - 100.0f - 19.0f / std::sqrt(2.0f)) * std::sqrt(2.0f);
  const float between = 100.0f * std::sqrt(2.0f);
  for (const Case& c : {Case{5000, 10}, Case{300, 3}}) {
    SCOPED_TRACE(c.length);
    objs.clear();
    Laser(100, 100, 45, c.length - 15);
    Rect(1000, 45, 3000, 10, false, 2);
    Rect(1000, 155, 3000, 10, false, 2);
    Start();
    Tick();
    TLazer* beam = world->Lazers[0];
    ASSERT_EQ(beam->Points.size(), c.points);
    // Every point but a mid-air end is a hit, alternately on the low and the high mirror.
    const size_t hits = c.points == 10 ? 10 : c.points - 1;
    for (size_t i = 0; i < hits; ++i) {
      EXPECT_NEAR(beam->Points[i].x, 150.0f + 100.0f * i, 0.05f) << i;
      EXPECT_NEAR(beam->Points[i].y, i % 2 == 0 ? 150.0f : 50.0f, 0.05f) << i;
    }
    if (c.points == 3) {
      // Two hits, then mid-air where the length runs out, heading down-right from (250, 50).
      const float rest = (c.length - first - between) / std::sqrt(2.0f);
      EXPECT_NEAR(beam->Points[2].x, 250.0f + rest, 0.05f);
      EXPECT_NEAR(beam->Points[2].y, 50.0f + rest, 0.05f);
    }
  }
}

// A beam that ends right where it meets a mirror has nothing left to reflect.
TEST_F(LazerTest, NoLengthLeftEndsTheBeamAtTheMirror) {
  Laser(100, 100, 0);
  Rect(200, 100, 10, 100, false, 2);  // face at x = 195
  Start();
  TLazer beam(b2Vec2(116, 100), b2Vec2(1, 0), kBeamColor, world.get(), 78.0f);  // ray 119 .. 197
  beam.Trace();
  ASSERT_EQ(beam.Points.size(), 2u);
  EXPECT_NEAR(beam.Points[1].x, 195.0f - 2.0f, kEps);  // 2 px left after 76 px: back towards the box

  TLazer exact(b2Vec2(116, 100), b2Vec2(1, 0), kBeamColor, world.get(), 76.0f);  // ray ends on the face
  exact.Trace();
  ASSERT_EQ(exact.Points.size(), 1u);
  EXPECT_NEAR(exact.Points[0].x, 195.0f, kEps);
  for (const b2Vec2& p : exact.Points) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));

  TLazer none(b2Vec2(116, 100), b2Vec2(1, 0), kBeamColor, world.get(), 0.0f);
  none.Trace();
  ASSERT_EQ(none.Points.size(), 1u);
  EXPECT_EQ(none.Points[0], b2Vec2(119, 100));
}

TEST_F(LazerTest, BoxWithoutBodyEmitsNothing) {
  TLazerBox* box = Laser(100, 100, 0);
  Start();
  box->Body = nullptr;
  Tick();
  EXPECT_TRUE(world->Lazers.empty());
  EXPECT_EQ(box->Lazer, nullptr);
  EXPECT_FLOAT_EQ(box->BeamLength, 0.0f);  // a box without a body does not grow its beam
}

TEST_F(LazerTest, EmptyBeamDrawsNothing) {
  TLazer beam(b2Vec2(0, 0), b2Vec2(1, 0), kBeamColor, nullptr, 10.0f);
  beam.Draw(kMapX, kMapY);
  EXPECT_EQ(engine.Count(FakeCall::Line), 0u);
}

TEST_F(LazerTest, DrawJoinsOriginAndEveryPoint) {
  TLazer beam(b2Vec2(0, 0), b2Vec2(1, 0), kBeamColor, nullptr, 10.0f);
  beam.Points = {b2Vec2(10, 1), b2Vec2(10, 20), b2Vec2(3, 4)};
  beam.Draw(5, 7);
  const auto lines = engine.Of(FakeCall::Line);
  ASSERT_EQ(lines.size(), 3u);
  const b2Vec2 from[] = {beam.Origin, beam.Points[0], beam.Points[1]};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_FLOAT_EQ(lines[i].X, 5 + from[i].x);
    EXPECT_FLOAT_EQ(lines[i].Y, 7 + from[i].y);
    EXPECT_FLOAT_EQ(lines[i].X2(), 5 + beam.Points[i].x);
    EXPECT_FLOAT_EQ(lines[i].Y2(), 7 + beam.Points[i].y);
  }
}

}  // namespace
