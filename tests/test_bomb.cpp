#include <gtest/gtest.h>

#include <cmath>

#include "tests/objects_play.h"

namespace {

class BombTest : public ObjectsPlay {
 protected:
  // A bomb whose fuse has burnt down: it ignites in the next tick.
  void LightNow(TBomb* bomb) {
    bomb->Lit = true;
    bomb->Fuse = 0;
  }
  // A dynamic body without fixture and of mass 1: nothing but a blast acts on it.
  b2Body* Probe(float x, float y) {
    b2BodyDef def;
    def.type = b2_dynamicBody;
    def.position.Set(x, y);
    b2Body* probe = world->Physics->CreateBody(&def);
    b2MassData mass;
    mass.mass = 1;
    mass.center.SetZero();
    mass.I = 1;
    probe->SetMassData(&mass);
    return probe;
  }
};

// Bomb under one beam: +4 per trace, -1 per update while idle. Lit when the heat
// after its decrement first exceeds 245: 3 * (n - 1) > 245 at n = 83. Fuse 200 in
// steps of 5 burns in ticks 84..123, ignition in 124; explosion steps from 125
// fade 255 by 15 and grow 16 by 7; pulses after 5 waiting steps and then every
// 5th: 130, 135, 140 at radii 58, 93, 128; alpha 15 reached, so 141 destroys.
TEST_F(BombTest, OneBeamTimeline) {
  Laser(100, 100, 0, 200);
  TBomb* bomb = Circle<TBomb>(200, 100, 15, false);
  Start(0, 0);
  // A probe 50 px below the bomb, put back at rest after every tick: it shows the pulses.
  b2Body* probe = Probe(200, 150);
  b2Body* bombBody = bomb->Body;

  int litTick = 0, igniteTick = 0, goneTick = 0;
  std::vector<int> pulseTicks;
  std::vector<float> pulseRadii;
  for (int tick = 1; tick <= 150; ++tick) {
    Tick();
    if (bomb->Lit && !litTick) {
      litTick = tick;
      EXPECT_EQ(bomb->Heat, 246 + 4);  // lit at 246, then this tick's beam
    }
    if (bomb->Exploding && !igniteTick) igniteTick = tick;
    if (!bomb->Alive && !goneTick) goneTick = tick;
    if (probe->GetLinearVelocity().LengthSquared() > 0) {
      pulseTicks.push_back(tick);
      pulseRadii.push_back(bomb->Blast.Radius);
      // Pushed straight away from the centre: down, with 900000 on a mass of 1.
      EXPECT_NEAR(probe->GetLinearVelocity().x, 0.0f, 1e-2f);
      EXPECT_NEAR(probe->GetLinearVelocity().y, 900000.0f, 1.0f);
    }
    probe->SetLinearVelocity(b2Vec2(0, 0));
    probe->SetTransform(b2Vec2(200, 150), 0);
  }
  EXPECT_EQ(litTick, 83);
  EXPECT_EQ(igniteTick, 124);
  EXPECT_EQ(pulseTicks, (std::vector<int>{130, 135, 140}));
  EXPECT_EQ(pulseRadii, (std::vector<float>{58, 93, 128}));
  EXPECT_EQ(goneTick, 141);
  EXPECT_EQ(bomb->Body, nullptr);
  EXPECT_FALSE(HasBody(bombBody));
  EXPECT_EQ(std::count(world->Bodies.begin(), world->Bodies.end(), bombBody), 0);
  // Gone: the beam passes where the bomb was and nothing is drawn for it.
  ASSERT_EQ(world->Lazers[0]->Points.size(), 1u);
  EXPECT_GT(world->Lazers[0]->Points[0].x, 215.0f);
  engine.ClearCalls();
  bomb->WorldDraw();
  EXPECT_TRUE(engine.calls.empty());
}

// Two beams: +8 per trace; the heat after n ticks is 8 + 7 (n - 1). When one
// box loses its beam the heat falls back: +4 - 1 per tick.
TEST_F(BombTest, TwoBeamsAddEightPerTick) {
  TLazerBox* left = Laser(100, 100, 0, 200);
  Laser(300, 100, 180, 200);
  TBomb* bomb = Circle<TBomb>(200, 100, 15, false);
  Start(0, 0);
  for (int n = 1; n <= 5; ++n) {
    Tick();
    EXPECT_EQ(bomb->Heat, 8 + 7 * (n - 1)) << n;
  }
  left->Body = nullptr;  // one beam gone
  Tick();
  EXPECT_EQ(bomb->Heat, 36 - 1 + 4);
  EXPECT_FALSE(bomb->Lit);
}

TEST_F(BombTest, LitAndExplodingBombsStillTakeBeamHeat) {
  TBomb* bomb = Circle<TBomb>(200, 100, 15, false);
  Start();
  LightNow(bomb);
  EXPECT_FALSE(bomb->LazerHit(bomb->Body));
  EXPECT_EQ(bomb->Heat, 4);
  Tick();
  ASSERT_TRUE(bomb->Exploding);
  EXPECT_FALSE(bomb->LazerHit(bomb->Body));
  EXPECT_EQ(bomb->Heat, 8);  // no decrement once lit
}

// A second bomb kept in the disc (paused ticks: nothing moves) gets +100 per pulse
// and loses 1 per tick once hot. Pulses at explosion steps 6, 11, 16 with radii
// 58, 93, 128; the second bomb comes after the first in the list, so it loses 1
// in the pulse tick itself: 99, 95; 194, 190; 289 - lit at step 16.
TEST_F(BombTest, BlastHeatsOtherDynamicBombsInTheDisc) {
  struct Case {
    int32_t distance;
    bool dynamic;
    int32_t heat;  // after explosion step 16
    bool lit;
  };
  const Case cases[] = {
      {40, true, 289, true},    // three pulses
      {80, true, 194, false},   // the last two: 200 is not enough
      {110, true, 99, false},   // the last one
      {140, true, 0, false},    // never reached
      {40, false, 0, false},    // static bombs are left alone by blasts
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.distance << (c.dynamic ? " dynamic" : " static"));
    objs.clear();
    TBomb* first = Circle<TBomb>(200, 100, 15, false);
    TBomb* second = Circle<TBomb>(200 + c.distance, 100, 15, c.dynamic);
    Start(0, 0);
    LightNow(first);
    Ticks(1 + 16, true);  // ignition, then 16 explosion steps
    EXPECT_EQ(second->Heat, c.heat);
    EXPECT_EQ(second->Lit, c.lit);
    EXPECT_TRUE(first->Alive);
    Tick(true);
    EXPECT_FALSE(first->Alive);
  }
}

// One pulse (step 6, radius 58) in a world without gravity; the impulse 900000
// on a 20 x 20 box (mass 400) gives 2250 px/s away from the centre.
TEST_F(BombTest, PulsePushesOnlyDynamicBodiesWhoseOriginIsInTheDisc) {
  TBomb* bomb = Circle<TBomb>(200, 100, 15, false);
  TMapObj* pushed = Rect(240, 100, 20, 20, true);
  TMapObj* wall = Rect(160, 100, 20, 20, false);
  TMapObj* reaching = Rect(200, 250, 10, 200, true);  // origin 150 away, top edge 50 away
  TMapObj* above = Rect(200, 60, 20, 20, true);
  Start(0, 0);
  LightNow(bomb);
  Ticks(1 + 5);
  EXPECT_EQ(pushed->Body->GetLinearVelocity(), b2Vec2(0, 0));
  Tick();  // the first pulse
  EXPECT_NEAR(pushed->Body->GetLinearVelocity().x, 2250.0f, 0.1f);
  EXPECT_NEAR(pushed->Body->GetLinearVelocity().y, 0.0f, 0.1f);
  EXPECT_NEAR(above->Body->GetLinearVelocity().y, -2250.0f, 0.1f);
  EXPECT_EQ(pushed->Body->GetAngularVelocity(), 0.0f);  // at the centre of mass: no turn
  Ticks(11);
  EXPECT_EQ(wall->Body->GetPosition(), b2Vec2(160, 100));
  EXPECT_EQ(reaching->Body->GetLinearVelocity(), b2Vec2(0, 0));
  EXPECT_EQ(reaching->Body->GetPosition(), b2Vec2(200, 250));
}

TEST_F(BombTest, BodyAtTheBlastCentreIsNotPushed) {
  TBomb* bomb = Circle<TBomb>(200, 100, 15, false);
  Start(0, 0);
  b2Body* centre = Probe(200, 100);
  b2Body* beside = Probe(201, 100);
  LightNow(bomb);
  Ticks(1 + 16);
  const b2Vec2 v = centre->GetLinearVelocity();
  EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y));
  EXPECT_EQ(v, b2Vec2(0, 0));
  EXPECT_EQ(centre->GetPosition(), b2Vec2(200, 100));
  EXPECT_GT(beside->GetPosition().x, 201.0f);  // a pixel away it is pushed
}

// Heat 247 falls to 246 in the first paused tick: lit. Fuse in ticks 2..41,
// ignition 42, pulses 48, 53, 58, gone 59 - all while paused.
TEST_F(BombTest, PauseDoesNotStopFuseOrExplosion) {
  TBomb* bomb = Circle<TBomb>(200, 100, 15, false);
  TMapObj* box = Rect(240, 100, 20, 20, true);
  Start(0, 0);
  bomb->Heat = 247;
  Tick(true);
  EXPECT_TRUE(bomb->Lit);
  Ticks(40, true);
  EXPECT_FALSE(bomb->Exploding);
  EXPECT_EQ(bomb->Fuse, 0);
  Tick(true);
  EXPECT_TRUE(bomb->Exploding);
  Ticks(16, true);
  EXPECT_TRUE(bomb->Alive);
  // Pushed three times while paused, but not moved yet.
  EXPECT_EQ(box->Body->GetPosition(), b2Vec2(240, 100));
  EXPECT_NEAR(box->Body->GetLinearVelocity().x, 3 * 2250.0f, 0.5f);
  Tick(true);
  EXPECT_FALSE(bomb->Alive);
  Tick();  // play resumes: the push takes effect (Box2D moves a body at most 2 px a step)
  EXPECT_GT(box->Body->GetPosition().x, 240.0f + 3.0f);
}

TEST_F(BombTest, PlayAgainAfterExplosionReturnsToIdle) {
  TBomb* bomb = Circle<TBomb>(200, 100, 15, false);
  Start();
  LightNow(bomb);
  bomb->Heat = 500;
  Ticks(1 + 17);
  ASSERT_FALSE(bomb->Alive);
  Start();
  EXPECT_TRUE(bomb->Alive);
  ASSERT_NE(bomb->Body, nullptr);
  EXPECT_TRUE(HasBody(bomb->Body));
  EXPECT_EQ(BodyOwner(bomb->Body), bomb);
  EXPECT_FALSE(bomb->Lit);
  EXPECT_FALSE(bomb->Exploding);
  EXPECT_EQ(bomb->Heat, 0);
  EXPECT_EQ(bomb->Fuse, 200);
  EXPECT_EQ(bomb->BlastAlpha, 255);
  Ticks(60);
  EXPECT_FALSE(bomb->Lit);
  EXPECT_TRUE(bomb->Alive);
}

// Rings at the body's screen position: colour 0xFFFFFF - 257 * heat in 32-bit
// arithmetic (green and blue fall together; past 255 it runs into red).
TEST_F(BombTest, WorldDrawRings) {
  TBomb* bomb = Circle<TBomb>(200, 100, 15, false);
  Start();
  Tick();
  struct Case {
    int32_t heat;
    uint32_t color;
  };
  for (const Case& c : {Case{0, 0xFFFFFF}, Case{245, 0xFF0A0A}, Case{255, 0xFF0000}, Case{256, 0xFEFEFF}}) {
    SCOPED_TRACE(c.heat);
    bomb->Heat = c.heat;
    engine.ClearCalls();
    bomb->WorldDraw();
    ASSERT_EQ(engine.Count(FakeCall::Sprite), 1u);
    const auto rings = engine.Of(FakeCall::Circle);
    ASSERT_EQ(rings.size(), 1u);
    EXPECT_EQ(rings[0].color, c.color);
    EXPECT_FLOAT_EQ(rings[0].X, kMapX + 200.0f);
    EXPECT_FLOAT_EQ(rings[0].Y, kMapY + 100.0f);
    EXPECT_FLOAT_EQ(rings[0].Radius(), 14.0f);
    EXPECT_EQ(rings[0].quality, 32);
  }

  // Lit with half the fuse: a white ring of radius 7 after the heat ring.
  bomb->Lit = true;
  bomb->Fuse = 100;
  engine.ClearCalls();
  bomb->WorldDraw();
  auto rings = engine.Of(FakeCall::Circle);
  ASSERT_EQ(rings.size(), 2u);
  EXPECT_FLOAT_EQ(rings[1].Radius(), 7.0f);
  EXPECT_EQ(rings[1].color, 0xFFFFFFu);

  // Exploding: the filled disc first, at the blast centre on the screen.
  bomb->Fuse = 0;
  Ticks(3);  // ignition and two steps: radius 30, alpha 225
  engine.ClearCalls();
  bomb->WorldDraw();
  rings = engine.Of(FakeCall::Circle);
  ASSERT_EQ(rings.size(), 3u);
  EXPECT_FLOAT_EQ(rings[0].X, kMapX + 200.0f);
  EXPECT_FLOAT_EQ(rings[0].Y, kMapY + 100.0f);
  EXPECT_FLOAT_EQ(rings[0].Radius(), 30.0f);
  EXPECT_EQ(rings[0].alpha, 225);
  EXPECT_EQ(rings[0].quality, 18);
  EXPECT_EQ(rings[0].fx, 0x10000u);
}

}  // namespace

#include "level/uMap.h"

namespace {

// Through the map's own loop: Play runs the first tick, so after Play and 82
// Steps the bomb has had 83 ticks under the beam and is lit; it is gone after
// tick 141. The rope tied to it survives the explosion and a replay rebuilds all.
TEST(BombInMap, PlayAndStepDriveTheTimeline) {
  FakeEngine engine;
  TMap map(35);
  auto* box = new TLazerBox(map.DrawRects[9], new TShapeRect(40, 20));
  box->X = 100, box->Y = 100, box->Dynamic = false, box->BeamLength = 200;
  auto* bomb = new TBomb(map.DrawRects[8], new TShapeCircle(30));
  bomb->X = 200, bomb->Y = 100, bomb->Dynamic = false;
  auto* anchor = new TMapObj(map.DrawRects[2], new TShapeRect(26, 26));
  anchor->X = 200, anchor->Y = 20, anchor->Dynamic = false;
  map.Obj = {box, bomb, anchor};
  map.Ropes = {new TRope(map.DrawRects[7], anchor, bomb, 0, -13, 0, 15)};
  map.Play();
  for (int i = 0; i < 81; ++i) map.Step();
  EXPECT_FALSE(bomb->Lit);
  map.Step();
  EXPECT_TRUE(bomb->Lit);
  for (int i = 0; i < 57; ++i) map.Step();  // ticks 84 .. 140
  EXPECT_TRUE(bomb->Alive);
  map.Step();
  EXPECT_FALSE(bomb->Alive);
  for (int i = 0; i < 10; ++i) {
    map.Step();
    map.Draw();
  }
  map.Playing = false;
  map.Play();
  EXPECT_TRUE(bomb->Alive);
  EXPECT_EQ(map.Ropes[0]->Segments.size(), 3u);  // ties (200, 33) and (200, 85): 52 px
  CaptureStdout([&] { map.New(); });
}

}  // namespace
