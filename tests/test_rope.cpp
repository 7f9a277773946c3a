#include <gtest/gtest.h>

#include <cmath>

#include "tests/objects_play.h"

namespace {

class RopeTest : public ObjectsPlay {};

// d <= 20 gives one segment, otherwise floor(d / 20) + 1 equal ones; each a thin
// rod of mass 1 per pixel about its midpoint, I = m L^2 / 12.
TEST_F(RopeTest, SegmentCountsAndMass) {
  struct Case {
    float d;
    size_t segments;
  };
  for (const Case& c : {Case{100, 6}, Case{40, 3}, Case{20, 1}, Case{20.5f, 2}}) {
    SCOPED_TRACE(c.d);
    b2World physics(b2Vec2(0, 0));
    std::vector<b2Body*> segments;
    BuildRope({{10, 30}, {10 + c.d, 30}}, &physics, &segments, nullptr, nullptr, 0.5f, 20.0f, 1.0f, 0.0f, 0.5f);
    ASSERT_EQ(segments.size(), c.segments);
    EXPECT_EQ(physics.GetJointCount(), static_cast<int32>(c.segments - 1));  // only between segments here
    const float length = c.d / c.segments;
    for (size_t i = 0; i < segments.size(); ++i) {
      b2Body* s = segments[i];
      EXPECT_EQ(s->GetType(), b2_dynamicBody);
      EXPECT_NEAR(s->GetPosition().x, 10 + length * (i + 0.5f), 1e-3f);
      EXPECT_NEAR(s->GetPosition().y, 30, 1e-3f);
      EXPECT_NEAR(s->GetMass(), length, 1e-3f);
      EXPECT_NEAR(s->GetInertia(), length * length * length / 12, 1e-2f);
      EXPECT_NEAR(s->GetLocalCenter().Length(), 0, 1e-5f);
      const b2Fixture* f = s->GetFixtureList();
      ASSERT_NE(f, nullptr);
      ASSERT_EQ(f->GetType(), b2Shape::e_edge);
      const auto* edge = static_cast<const b2EdgeShape*>(f->GetShape());
      EXPECT_NEAR(edge->m_vertex1.x, -length / 2, 1e-3f);
      EXPECT_NEAR(edge->m_vertex2.x, length / 2, 1e-3f);
      EXPECT_FLOAT_EQ(f->GetFriction(), 0.0f);
    }
  }
}

TEST_F(RopeTest, CreateBodyTiesBothObjects) {
  TMapObj* a = Rect(100, 100, 10, 10, false);
  TMapObj* b = Rect(210, 100, 10, 10, true);
  TRope* rope = Rope(a, b, 0, 0, 10, 0);  // tie points (100, 100) and (200, 100)
  Start();
  ASSERT_EQ(rope->Segments.size(), 6u);
  EXPECT_EQ(rope->Heat, std::vector<int32_t>(6, 0));
  EXPECT_FALSE(rope->LooseA);
  EXPECT_TRUE(rope->LooseB);
  for (b2Body* s : rope->Segments) EXPECT_EQ(BodyOwner(s), rope);
  ASSERT_EQ(JointCount(), 7);
  // The first joint holds A's body and the first segment, the last B's and the last segment.
  int tiedA = 0, tiedB = 0;
  for (b2Joint* j = world->Physics->GetJointList(); j; j = j->GetNext()) {
    EXPECT_FALSE(j->GetCollideConnected());
    if (j->GetBodyA() == a->Body || j->GetBodyB() == a->Body) {
      ++tiedA;
      EXPECT_TRUE(j->GetBodyA() == rope->Segments.front() || j->GetBodyB() == rope->Segments.front());
      EXPECT_NEAR(j->GetAnchorA().x, 100, 1e-3f);
    }
    if (j->GetBodyA() == b->Body || j->GetBodyB() == b->Body) {
      ++tiedB;
      EXPECT_TRUE(j->GetBodyA() == rope->Segments.back() || j->GetBodyB() == rope->Segments.back());
      EXPECT_NEAR(j->GetAnchorA().x, 200, 1e-3f);
    }
  }
  EXPECT_EQ(tiedA, 1);
  EXPECT_EQ(tiedB, 1);
}

// Ropes that cannot be built leave no bodies, no joints and do nothing in play.
TEST_F(RopeTest, RopesThatBuildNothing) {
  struct Case {
    const char* name;
    int32_t offBx;     // B sits at (110, 100); tie point B = (110 - offBx, 100)
    bool withB;
    bool bBody;
  };
  const Case cases[] = {
      {"coinciding tie points", 10, true, true},
      {"no end B", 0, false, true},
      {"end B without body", 0, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    objs.clear();
    ropes.clear();
    TMapObj* a = Rect(100, 100, 10, 10, false);
    TMapObj* b = Rect(110, 100, 10, 10, false);
    TRope* rope = Rope(a, c.withB ? b : nullptr, 0, 0, c.offBx, 0);
    world.reset();
    world = std::make_unique<TWorld>(0, 10);
    a->CreateBody(world.get());
    if (c.bBody) b->CreateBody(world.get());
    rope->CreateBody(world.get());
    EXPECT_TRUE(rope->Segments.empty());
    EXPECT_TRUE(rope->Heat.empty());
    EXPECT_EQ(JointCount(), 0);
    EXPECT_EQ(world->Physics->GetBodyCount(), c.bBody ? 2 : 1);
    Ticks(3);
    engine.ClearCalls();
    rope->WorldDraw();
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_FALSE(rope->LazerHit(a->Body));
  }
}

// Heat per tick: -1 in the update (when above 0), +7 from the beam: 7, 13, ...,
// 7 + 6 (n - 1) > 240 first at n = 40.
TEST_F(RopeTest, BeamBurnsASegmentOnTick40) {
  TMapObj* a = Rect(100, 100, 10, 10, false);
  TMapObj* b = Rect(200, 100, 10, 10, false);
  TRope* rope = Rope(a, b);
  Laser(125, 300, -90, 500);  // straight up through segment 1 (116.7 .. 133.3)
  Start(0, 0);
  ASSERT_EQ(rope->Segments.size(), 6u);
  Ticks(39);
  EXPECT_EQ(rope->Heat[1], 7 + 6 * 38);
  for (b2Body* s : rope->Segments) EXPECT_TRUE(s->IsEnabled());
  EXPECT_NEAR(world->Lazers[0]->Points.back().y, 100, 0.5f);
  Tick();
  EXPECT_EQ(rope->Heat[1], 241);
  // Both ends static: only the burnt segment goes.
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(rope->Segments[i]->IsEnabled(), i != 1) << i;
  EXPECT_EQ(rope->Heat[0], 0);
  Tick();  // the beam now passes through the gap
  EXPECT_LT(world->Lazers[0]->Points.back().y, 0);
  EXPECT_EQ(rope->Heat[1], 240);
}

// A static anchor above, a dynamic load below; a burn at segment k removes k..last
// and the load falls free, while 0..k-1 keep hanging from the anchor.
TEST_F(RopeTest, CutLeavesTheAnchoredPartHanging) {
  TMapObj* anchor = Rect(100, 100, 10, 10, false);
  TMapObj* load = Rect(100, 200, 10, 10, true);
  TRope* rope = Rope(anchor, load, 0, -5, 0, 5);  // ties (100, 105) and (100, 195): 5 segments of 18
  Laser(0, 150, 0, 500);                          // across segment 2 (141 .. 159)
  Start();
  ASSERT_EQ(rope->Segments.size(), 5u);
  Ticks(39);
  EXPECT_NEAR(load->Body->GetPosition().y, 200, 3);  // held by the rope, and at rest long enough to sleep
  EXPECT_FALSE(load->Body->IsAwake());
  Tick();
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(rope->Segments[i]->IsEnabled(), i < 2) << i;
  EXPECT_FALSE(rope->LooseB);
  const b2Vec2 top = rope->Segments[0]->GetPosition();
  Ticks(15);
  EXPECT_GT(load->Body->GetPosition().y, 205);  // falling
  EXPECT_GT(load->Body->GetLinearVelocity().y, 0);
  EXPECT_LT(Dist(rope->Segments[0]->GetPosition(), top), 3);
  // Later burns take only their own segment.
  rope->Heat[0] = 240;
  rope->LazerHit(rope->Segments[0]);
  EXPECT_FALSE(rope->Segments[0]->IsEnabled());
  EXPECT_TRUE(rope->Segments[1]->IsEnabled());
}

TEST_F(RopeTest, CutRemovesTheLooseSides) {
  struct Case {
    bool looseA, looseB;
    std::vector<bool> enabled;  // after Cut(2) of 5 segments
  };
  const Case cases[] = {
      {false, false, {true, true, true, true, true}},
      {true, false, {false, false, false, true, true}},
      {false, true, {true, true, false, false, false}},
      {true, true, {false, false, false, false, false}},
  };
  for (const Case& c : cases) {
    ropes.clear();
    objs.clear();
    TRope* rope = Rope(Rect(100, 100, 10, 10, false), Rect(190, 100, 10, 10, false));
    Start(0, 0);
    ASSERT_EQ(rope->Segments.size(), 5u);
    rope->LooseA = c.looseA;
    rope->LooseB = c.looseB;
    rope->Cut(2);
    std::vector<bool> enabled;
    for (b2Body* s : rope->Segments) enabled.push_back(s->IsEnabled());
    EXPECT_EQ(enabled, c.enabled) << c.looseA << c.looseB;
    EXPECT_FALSE(rope->LooseA);
    EXPECT_FALSE(rope->LooseB);
    rope->Cut(-1);  // out of range: nothing
    rope->Cut(5);
  }
}

// The bomb's body goes with its joint: the rope's end comes loose, everything left stays valid.
TEST_F(RopeTest, RopeTiedToABombComesLooseWhenItExplodes) {
  TMapObj* anchor = Rect(100, 100, 10, 10, false);
  TBomb* bomb = Circle<TBomb>(200, 100, 15, false);
  TRope* rope = Rope(anchor, bomb);
  Start(0, 0);
  ASSERT_EQ(JointCount(), 7);
  bomb->Lit = true;
  bomb->Fuse = 0;
  Ticks(1 + 6);
  // The first pulse pushes the segments in the disc away from the centre, towards the anchor.
  EXPECT_LT(rope->Segments.back()->GetLinearVelocity().x, -1000);
  Ticks(11);
  ASSERT_FALSE(bomb->Alive);
  EXPECT_EQ(JointCount(), 6);
  for (b2Joint* j = world->Physics->GetJointList(); j; j = j->GetNext()) {
    EXPECT_TRUE(HasBody(j->GetBodyA()));
    EXPECT_TRUE(HasBody(j->GetBodyB()));
  }
  Ticks(20);
  rope->WorldDraw();
  for (b2Body* s : rope->Segments) EXPECT_TRUE(HasBody(s));
  world.reset();  // clearing the world must not reach the destroyed body
  EXPECT_TRUE(rope->Segments.empty());
}

TEST_F(RopeTest, WorldDrawJoinsEnabledNeighbours) {
  TRope* rope = Rope(Rect(100, 100, 10, 10, false), Rect(200, 100, 10, 10, false));
  Start(0, 0);
  Tick();
  rope->Heat = {10, 0, 0, 0, 0, 0};
  engine.ClearCalls();
  rope->WorldDraw();
  auto lines = engine.Of(FakeCall::Line);
  ASSERT_EQ(lines.size(), 5u);
  const b2Vec2 p0 = rope->Segments[0]->GetPosition(), p1 = rope->Segments[1]->GetPosition();
  EXPECT_FLOAT_EQ(lines[0].X, kMapX + p0.x);
  EXPECT_FLOAT_EQ(lines[0].Y, kMapY + p0.y);
  EXPECT_FLOAT_EQ(lines[0].X2(), kMapX + p1.x);
  EXPECT_EQ(lines[0].color, 0xFFFFFFu - 2570u);
  EXPECT_EQ(lines[1].color, 0xFFFFFFu);
  EXPECT_EQ(lines[0].alpha, 240);
  EXPECT_EQ(lines[0].fx, 0x20000u);
  rope->Segments[2]->SetEnabled(false);
  engine.ClearCalls();
  rope->WorldDraw();
  EXPECT_EQ(engine.Count(FakeCall::Line), 3u);  // 1-2 and 2-3 are gone
}

TEST_F(RopeTest, AttachRules) {
  TMapObj* a = Rect(10, 10, 10, 10, false);
  TMapObj* b = Rect(50, 10, 10, 10, false);
  TMapObj* c = Rect(90, 10, 10, 10, false);
  TRope rope(nullptr, nullptr, nullptr, 0, 0, 0, 0);
  EXPECT_FALSE(rope.Attach(nullptr, 1, 1, false));
  EXPECT_EQ(rope.ObjA, nullptr);
  EXPECT_FALSE(rope.Attach(a, 3, 4, false));
  EXPECT_EQ(rope.ObjA, a);
  EXPECT_EQ(rope.OffAx, 3);
  EXPECT_EQ(rope.OffAy, 4);
  EXPECT_FALSE(rope.Attach(a, 5, 6, false));  // the same object again: only end A
  EXPECT_EQ(rope.ObjB, nullptr);
  EXPECT_EQ(rope.OffAx, 3);
  EXPECT_TRUE(rope.Attach(b, 7, 8, false));
  EXPECT_EQ(rope.ObjB, b);
  EXPECT_EQ(rope.OffBx, 7);
  EXPECT_EQ(rope.OffBy, 8);
  EXPECT_TRUE(rope.Attach(c, 9, 9, true));  // replaces B, tied at its centre
  EXPECT_EQ(rope.ObjB, c);
  EXPECT_EQ(rope.OffBx, 0);
  EXPECT_EQ(rope.OffBy, 0);
  EXPECT_EQ(rope.BX(), 90);

  TRope centred(nullptr, nullptr, nullptr, 0, 0, 0, 0);
  centred.Attach(a, -7, 12, true);
  EXPECT_EQ(centred.AX(), 10);
  EXPECT_EQ(centred.AY(), 10);

  TRope copy(&rope);
  EXPECT_EQ(copy.ObjA, a);
  EXPECT_EQ(copy.ObjB, c);
  EXPECT_EQ(copy.OffAx, 3);
  TRope none(static_cast<const TRope*>(nullptr));
  EXPECT_EQ(none.ObjA, nullptr);
  CaptureStdout([] {});
}

// Until the first Draw the midpoint is (0, 0); Draw sets it with truncating halves.
TEST_F(RopeTest, DrawAndPointIn) {
  TMapObj* a = Rect(100, 100, 10, 10, false);
  TMapObj* b = Rect(49, 100, 10, 10, false);
  TMeDrawRect icon(nullptr, 32, 32);
  icon.AddFrame(208, 272);
  TRope rope(&icon, a, b, 0, 0, 0, 0);
  struct Probe {
    int32_t x, y;
    bool in;
  };
  for (const Probe& p : {Probe{0, 0, true}, Probe{11, 0, true}, Probe{7, 8, true}, Probe{8, 8, false},
                         Probe{0, -12, false}}) {
    EXPECT_EQ(rope.PointIn(p.x, p.y), p.in) << p.x << "," << p.y;
  }
  rope.Draw(kMapX, kMapY);
  // 100 + (49 - 100) div 2 = 100 - 25 (toward zero, not -26)
  EXPECT_EQ(rope.X, 75);
  EXPECT_EQ(rope.Y, 100);
  EXPECT_TRUE(rope.PointIn(75, 100));
  EXPECT_FALSE(rope.PointIn(0, 0));
  const auto rings = engine.Of(FakeCall::Circle);
  ASSERT_EQ(rings.size(), 2u);
  EXPECT_EQ(rings[0].color, 0xEF7575u);
  EXPECT_FLOAT_EQ(rings[0].X, kMapX + 100.0f);
  EXPECT_EQ(rings[1].color, 0x7575EFu);
  EXPECT_FLOAT_EQ(rings[1].X, kMapX + 49.0f);
  EXPECT_FLOAT_EQ(rings[0].Radius(), 7.0f);
  const auto lines = engine.Of(FakeCall::Line);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].color, 0xFFFFFFu);
  EXPECT_EQ(engine.SpritesFrom(208, 272).size(), 1u);

  engine.ClearCalls();
  rope.ShapeDraw(kMapX, kMapY);
  ASSERT_EQ(engine.Count(FakeCall::Circle), 1u);
  EXPECT_FLOAT_EQ(engine.calls[0].Radius(), 18.0f);
  EXPECT_FLOAT_EQ(engine.calls[0].X, kMapX + 75.0f);

  // Only end A: its ring and the icon, no line, the midpoint kept.
  TRope half(&icon, a, nullptr, 0, 0, 0, 0);
  engine.ClearCalls();
  half.Draw(kMapX, kMapY);
  EXPECT_EQ(engine.Count(FakeCall::Circle), 1u);
  EXPECT_EQ(engine.Count(FakeCall::Line), 0u);
  EXPECT_EQ(half.X, 0);
  CaptureStdout([] {});
}

TEST_F(RopeTest, DestructorTracesAndReleasesItsSegments) {
  Rope(Rect(100, 100, 10, 10, false), Rect(200, 100, 10, 10, false));
  Start(0, 0);
  const std::vector<b2Body*> segments = ropes[0]->Segments;
  ASSERT_FALSE(segments.empty());
  EXPECT_EQ(CaptureStdout([&] { ropes.clear(); }), "destructor TRope.Destroy;  \n");
  // The bodies stay in the stopped world, but no longer lead to the freed rope.
  for (b2Body* s : segments) EXPECT_EQ(BodyOwner(s), nullptr);
}

TEST_F(RopeTest, CurveHelpers) {
  // Two points: the rope is straight, the polyline exactly the two points.
  const auto straight = FlattenCurve(SmoothCurve({{0, 0}, {100, 50}}, 0.5f), 0.5f);
  ASSERT_EQ(straight.size(), 2u);
  EXPECT_FLOAT_EQ(straight[1].x, 100);
  EXPECT_FLOAT_EQ(straight[1].y, 50);
  // Three points: 7 control points; the bent path is split finer and passes through all three.
  const auto controls = SmoothCurve({{0, 0}, {50, 50}, {100, 0}}, 0.5f);
  ASSERT_EQ(controls.size(), 7u);
  EXPECT_FLOAT_EQ(controls[2].x, 50 - 0.15f * 100);  // P1 - t (P2 - P0), t = 0.5 * 0.3
  const auto bent = FlattenCurve(controls, 0.5f);
  EXPECT_GT(bent.size(), 4u);
  EXPECT_FLOAT_EQ(bent.front().x, 0);
  EXPECT_FLOAT_EQ(bent.back().x, 100);
  EXPECT_TRUE(std::any_of(bent.begin(), bent.end(), [](TRopePoint p) { return p.x == 50 && p.y == 50; }));
  // Control counts that are not 3k + 1 give nothing.
  EXPECT_TRUE(FlattenCurve({{0, 0}, {1, 1}, {2, 2}}, 0.5f).empty());
  EXPECT_TRUE(FlattenCurve({}, 0.5f).empty());
  EXPECT_FALSE(IsFlat({0, 0}, {-1, 0}, {5, 0}, {10, 0}, 0.5f));  // an inner point behind the start
  EXPECT_TRUE(IsFlat({0, 0}, {0.4f, 3}, {0.2f, 6}, {0, 10}, 0.5f));   // vertical chord, within 0.5
  EXPECT_FALSE(IsFlat({0, 0}, {0.6f, 3}, {0.2f, 6}, {0, 10}, 0.5f));
}

}  // namespace
