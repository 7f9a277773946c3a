#include "level/uWorld.h"

#include <algorithm>

#include "level/uMapObj.h"
#include "objects/uLazer.h"
#include "objects/uRope.h"
#include "toolkit/uMeForm.h"

namespace {

constexpr float kTimeStep = 1.0f / 30.0f;
constexpr int32_t kVelocityIterations = 7;
constexpr int32_t kPositionIterations = 5;
constexpr double kDegToRadExact = 0.017453292;  // as the level data has always used it

// Whoever owns body must stop naming it before it is destroyed.
void ForgetOwnedBody(b2Body* body) {
  TMapObjProt* owner = BodyOwner(body);
  if (!owner) return;
  if (auto* obj = dynamic_cast<TMapObj*>(owner)) {
    if (obj->Body == body) obj->Body = nullptr;
    return;
  }
  // A rope's bodies are its segments, and all of them go in the same Clear.
  if (auto* rope = dynamic_cast<TRope*>(owner)) rope->Segments.clear();
}

}  // namespace

TMapObjProt* BodyOwner(const b2Body* body) {
  if (!body) return nullptr;
  return reinterpret_cast<TMapObjProt*>(const_cast<b2Body*>(body)->GetUserData().pointer);
}

void SetBodyOwner(b2Body* body, TMapObjProt* owner) {
  if (body) body->GetUserData().pointer = reinterpret_cast<uintptr_t>(owner);
}

TWorld::TWorld(int32_t gx, int32_t gy)
    : Physics(new b2World(b2Vec2(static_cast<float>(gx), static_cast<float>(gy)))) {
  Physics->SetAllowSleeping(true);
  Bodies.reserve(150);
  Lazers.reserve(50);
}

TWorld::~TWorld() {
  Clear();
  delete Physics;
}

void TWorld::Step() {
  Physics->Step(kTimeStep, kVelocityIterations, kPositionIterations);
  Physics->Step(kTimeStep, kVelocityIterations, kPositionIterations);
  Physics->ClearForces();
}

void TWorld::Clear() {
  // Take the next element before destroying the current one: destruction unlinks it.
  for (b2Joint* joint = Physics->GetJointList(); joint;) {
    b2Joint* next = joint->GetNext();
    Physics->DestroyJoint(joint);
    joint = next;
  }
  for (b2Body* body = Physics->GetBodyList(); body;) {
    b2Body* next = body->GetNext();
    ForgetOwnedBody(body);
    SetBodyOwner(body, nullptr);
    Physics->DestroyBody(body);
    body = next;
  }
  FreeLazers();
  Bodies.clear();
}

void TWorld::FreeLazers() {
  for (size_t i = Lazers.size(); i > 0; i--) delete Lazers[i - 1];
  Lazers.clear();
}

b2PolygonShape TWorld::BoxShape(const TShapeRect& shape) {
  b2PolygonShape box;
  box.SetAsBox(shape.Rect.W / 2.0f, shape.Rect.H / 2.0f);
  return box;
}

b2CircleShape TWorld::CircleShape(const TShapeCircle& shape) {
  b2CircleShape circle;
  circle.m_p.Set(0.0f, 0.0f);
  circle.m_radius = shape.Circle.Radius;
  return circle;
}

b2Body* TWorld::CreateObjBody(int32_t x, int32_t y, int32_t angle, TMeFormShape* shape, bool dynamic) {
  b2BodyDef def;
  def.type = dynamic ? b2_dynamicBody : b2_staticBody;
  def.position.Set(static_cast<float>(x), static_cast<float>(y));
  def.angle = static_cast<float>(angle * kDegToRadExact);
  b2Body* body = Physics->CreateBody(&def);

  b2FixtureDef fixture;
  fixture.density = 1.0f;
  fixture.friction = 0.2f;
  fixture.restitution = 0.0f;
  b2PolygonShape box;
  b2CircleShape circle;
  if (auto* rect = dynamic_cast<TShapeRect*>(shape)) {
    box = BoxShape(*rect);
    fixture.shape = &box;
  } else if (auto* round = dynamic_cast<TShapeCircle*>(shape)) {
    circle = CircleShape(*round);
    fixture.shape = &circle;
  }
  // An object without a shape gets a body without a fixture rather than a crash.
  if (fixture.shape) body->CreateFixture(&fixture);

  Bodies.push_back(body);
  return body;
}

void TWorld::ForgetBody(b2Body* body) {
  Bodies.erase(std::remove(Bodies.begin(), Bodies.end(), body), Bodies.end());
}
