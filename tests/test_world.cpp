#include <gtest/gtest.h>

#include <memory>

#include "level/uMapObj.h"
#include "level/uWorld.h"
#include "tests/fake/FakeEngine.h"
#include "toolkit/uMeForm.h"

namespace {

struct BoxCase {
  int32_t w, h;
  float hx, hy;  // half the sizes, in floating point
};

TEST(WorldShapes, BoxHalfExtentsAreHalfTheUnroundedSizes) {
  const BoxCase cases[] = {{26, 70, 13.0f, 35.0f}, {25, 9, 12.5f, 4.5f}};
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
    TShapeRect rect(c.w, c.h);
    b2PolygonShape box = TWorld::BoxShape(rect);
    ASSERT_EQ(box.m_count, 4);
    float maxX = 0, maxY = 0;
    for (int i = 0; i < box.m_count; i++) {
      EXPECT_FLOAT_EQ(std::abs(box.m_vertices[i].x), c.hx);
      EXPECT_FLOAT_EQ(std::abs(box.m_vertices[i].y), c.hy);
      maxX = std::max(maxX, box.m_vertices[i].x);
      maxY = std::max(maxY, box.m_vertices[i].y);
    }
    EXPECT_FLOAT_EQ(maxX, c.hx);
    EXPECT_FLOAT_EQ(maxY, c.hy);
  }
}

TEST(WorldShapes, CircleHasTheShapesRadiusAtTheOrigin) {
  TShapeCircle round(30);  // radius 30 div 2 = 15
  b2CircleShape circle = TWorld::CircleShape(round);
  EXPECT_FLOAT_EQ(circle.m_radius, 15.0f);
  EXPECT_FLOAT_EQ(circle.m_p.x, 0.0f);
  EXPECT_FLOAT_EQ(circle.m_p.y, 0.0f);
}

TEST(World, CreateObjBodyFromPoseAndShape) {
  TWorld world(0, 10);
  TShapeRect rect(26, 70);
  TShapeCircle round(30);
  b2Body* a = world.CreateObjBody(350, 105, 15, &rect, true);
  b2Body* b = world.CreateObjBody(-20, 40, 0, &round, false);

  EXPECT_FLOAT_EQ(a->GetPosition().x, 350.0f);
  EXPECT_FLOAT_EQ(a->GetPosition().y, 105.0f);
  EXPECT_NEAR(a->GetAngle(), 0.26179938f, 1e-7);  // 15 * 0.017453292
  EXPECT_EQ(a->GetType(), b2_dynamicBody);
  EXPECT_EQ(b->GetType(), b2_staticBody);
  EXPECT_TRUE(a->IsAwake());

  for (b2Body* body : {a, b}) {
    b2Fixture* f = body->GetFixtureList();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->GetNext(), nullptr);
    EXPECT_FLOAT_EQ(f->GetDensity(), 1.0f);
    EXPECT_FLOAT_EQ(f->GetFriction(), 0.2f);
    EXPECT_FLOAT_EQ(f->GetRestitution(), 0.0f);
    EXPECT_FALSE(f->IsSensor());
  }
  EXPECT_EQ(a->GetFixtureList()->GetType(), b2Shape::e_polygon);
  EXPECT_EQ(b->GetFixtureList()->GetType(), b2Shape::e_circle);
  // 26 x 70 at density 1
  EXPECT_NEAR(a->GetMass(), 26.0f * 70.0f, 0.01f);

  // An object that came without a shape still gets a body, only with nothing to collide.
  b2Body* bare = world.CreateObjBody(0, 0, 0, nullptr, true);
  EXPECT_EQ(bare->GetFixtureList(), nullptr);

  ASSERT_EQ(world.Bodies.size(), 3u);
  EXPECT_EQ(world.Bodies[0], a);
  EXPECT_EQ(world.Bodies[1], b);
  EXPECT_EQ(world.Bodies[2], bare);
  EXPECT_TRUE(world.Physics->GetAllowSleeping());
}

TEST(World, OneTickIsTwoStepsOfAThirtiethUnderGravity) {
  TWorld world(0, 10);
  TShapeCircle round(10);
  b2Body* body = world.CreateObjBody(100, 100, 0, &round, true);
  world.Step();
  // Semi-implicit Euler: v = 10/30 then 20/30; y moves 1/30*(1/3) + 1/30*(2/3) = 1/30.
  EXPECT_NEAR(body->GetLinearVelocity().y, 2.0f / 3.0f, 1e-5);
  EXPECT_NEAR(body->GetLinearVelocity().x, 0.0f, 1e-6);
  EXPECT_NEAR(body->GetPosition().y - 100.0f, 1.0f / 30.0f, 1e-4);
  EXPECT_FLOAT_EQ(body->GetPosition().x, 100.0f);
}

TEST(World, ClearDestroysJointsAndBodiesAndOwnersForgetThem) {
  FakeEngine engine;
  TWorld world(0, 10);
  auto obj = std::make_unique<TMapObj>(nullptr, new TShapeRect(20, 20));
  auto other = std::make_unique<TMapObj>(nullptr, new TShapeCircle(20));
  obj->X = 50;
  other->X = 100;
  obj->CreateBody(&world);
  other->CreateBody(&world);
  b2RevoluteJointDef jd;
  jd.Initialize(obj->Body, other->Body, b2Vec2(75, 0));
  world.Physics->CreateJoint(&jd);
  ASSERT_EQ(world.Physics->GetJointCount(), 1);
  ASSERT_EQ(world.Physics->GetBodyCount(), 2);

  world.Clear();
  EXPECT_EQ(world.Physics->GetJointCount(), 0);
  EXPECT_EQ(world.Physics->GetBodyCount(), 0);
  EXPECT_TRUE(world.Bodies.empty());
  EXPECT_TRUE(world.Lazers.empty());
  EXPECT_EQ(obj->Body, nullptr);
  EXPECT_EQ(other->Body, nullptr);

  // An empty world stays as it is, and stays usable.
  world.Clear();
  EXPECT_EQ(world.Physics->GetBodyCount(), 0);
  obj->CreateBody(&world);
  EXPECT_EQ(world.Physics->GetBodyCount(), 1);
  EXPECT_EQ(BodyOwner(obj->Body), obj.get());
}

TEST(World, DestroyingTheWorldLeavesNoObjectNamingItsBody) {
  FakeEngine engine;
  auto obj = std::make_unique<TMapObj>(nullptr, new TShapeRect(20, 20));
  {
    TWorld world(0, 10);
    obj->CreateBody(&world);
    ASSERT_NE(obj->Body, nullptr);
  }
  EXPECT_EQ(obj->Body, nullptr);
}

TEST(World, ForgetBodyRemovesOnlyThatBody) {
  TWorld world(0, 10);
  TShapeCircle round(10);
  b2Body* a = world.CreateObjBody(0, 0, 0, &round, true);
  b2Body* b = world.CreateObjBody(50, 0, 0, &round, true);
  world.ForgetBody(a);
  world.Physics->DestroyBody(a);
  ASSERT_EQ(world.Bodies.size(), 1u);
  EXPECT_EQ(world.Bodies[0], b);
  world.ForgetBody(a);  // already gone: no change
  EXPECT_EQ(world.Bodies.size(), 1u);
}

TEST(World, BodyOwnerRoundTripsThroughUserData) {
  FakeEngine engine;
  TWorld world(0, 10);
  TShapeCircle round(10);
  b2Body* body = world.CreateObjBody(0, 0, 0, &round, true);
  EXPECT_EQ(BodyOwner(body), nullptr);
  EXPECT_EQ(BodyOwner(nullptr), nullptr);
  TMapObj obj(nullptr, nullptr);
  SetBodyOwner(body, &obj);
  EXPECT_EQ(BodyOwner(body), &obj);
  EXPECT_EQ(body->GetUserData().pointer, reinterpret_cast<uintptr_t>(&obj));
  SetBodyOwner(body, nullptr);
  EXPECT_EQ(BodyOwner(body), nullptr);
}

}  // namespace
