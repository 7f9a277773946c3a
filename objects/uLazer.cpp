#include "objects/uLazer.h"

#include <cmath>

#include "level/uWorld.h"
#include "shell/uZenGL.h"

namespace {

constexpr float kBeamGrowth = 15.0f;   // pixels per tick
constexpr float kEmitterReach = 0.4f;  // share of the sprite width the beam starts ahead of the centre
constexpr float kFirstRayLead = 2.0f;  // the first ray starts this far beyond Origin
constexpr int kMaxRayCasts = 10;
constexpr uint8_t kBeamAlpha = 215;

}  // namespace

void TLazerBox::Update(int32_t x, int32_t y) {
  TMapObj::Update(x, y);
  if (Body == nullptr || World == nullptr) return;

  BeamLength += kBeamGrowth;
  const float a = static_cast<float>(Body->GetAngle());
  const b2Vec2 d(std::cos(a), std::sin(a));
  const b2Vec2 e = Body->GetPosition() + (static_cast<float>(W) * kEmitterReach) * d;
  Lazer = new TLazer(e, d, kBeamColor, World, BeamLength);
  World->Lazers.push_back(Lazer);
}

TLazer::TLazer(b2Vec2 start, b2Vec2 dir, uint32_t color, TWorld* world, float length)
    : Origin(start + dir), Dir(dir), World(world), BeamColor(color), Length(length) {}

void TLazer::Trace() {
  Points.clear();
  float r = Length;
  b2Vec2 p1 = Origin + kFirstRayLead * Dir;
  if (World == nullptr || World->Physics == nullptr || !(r > 0.0f)) {
    // A beam of no length ends where it starts: Box2D refuses zero-length rays.
    Points.push_back(p1);
    return;
  }
  b2Vec2 p2 = p1 + r * Dir;

  for (int pass = 0; pass < kMaxRayCasts; ++pass) {
    TRayCastAnyCallback callback;
    World->Physics->RayCast(&callback, p1, p2);
    if (!callback.Hit) {
      Points.push_back(p2);
      return;
    }
    Points.push_back(callback.Point);

    TMapObjProt* owner = BodyOwner(callback.Body);
    const bool goesOn = owner != nullptr && owner->LazerHit(callback.Body);
    if (!goesOn) return;

    b2Vec2 v = p1 - callback.Point;
    const float dist = v.Length();
    r -= dist;
    // A hit at the ray's start has no incoming direction, and a ray with no
    // length left cannot be cast: the beam ends at this hit.
    if (!(dist > 0.0f) || !(r > 0.0f)) return;
    v = (1.0f / dist) * v;
    const b2Vec2 n = callback.Normal;
    const b2Vec2 reflected = v - (2.0f * b2Dot(v, n)) * n;
    p1 = callback.Point;
    p2 = callback.Point - r * reflected;
  }
}

void TLazer::Draw(int32_t x, int32_t y) const {
  if (Points.empty()) return;
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  b2Vec2 from = Origin;
  for (const b2Vec2& to : Points) {
    pr2d_Line(fx + from.x, fy + from.y, fx + to.x, fy + to.y, BeamColor, kBeamAlpha, PR2D_SMOOTH);
    from = to;
  }
}

float TRayCastAnyCallback::ReportFixture(b2Fixture* fixture, const b2Vec2& point, const b2Vec2& normal,
                                         float fraction) {
  Hit = true;
  Point = point;
  Normal = normal;
  Body = fixture->GetBody();
  // Clipping the ray here makes every later report nearer: the nearest hit is kept.
  return fraction;
}
