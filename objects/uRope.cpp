#include "objects/uRope.h"

#include <algorithm>
#include <cmath>

#include "level/uWorld.h"
#include "objects/uBomb.h"
#include "shell/uTrace.h"
#include "shell/uZenGL.h"
#include "toolkit/uMeForm.h"

namespace {

constexpr float kEndRingRadius = 7.0f;
constexpr uint32_t kColorEndA = 0xEF7575;
constexpr uint32_t kColorEndB = 0x7575EF;
constexpr float kMarkRadius = 18.0f;
constexpr float kPickRadius = 11.0f;
constexpr int32_t kBeamHeat = 7;
constexpr int32_t kBurnAbove = 240;
// Tie points closer than this give no rope: a segment needs a direction.
constexpr float kMinTieDistance = 0.5f;
constexpr int kSubdivideDepth = 8;
constexpr size_t kFlattenRoom = 150;

float Distance(TRopePoint a, TRopePoint b) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  return std::sqrt(dx * dx + dy * dy);
}

TRopePoint Mid(TRopePoint a, TRopePoint b) { return {(a.x + b.x) / 2.0f, (a.y + b.y) / 2.0f}; }

b2Vec2 Vec(TRopePoint p) { return b2Vec2(p.x, p.y); }

// Lays the chain's pieces one by one, each jointed to the one before.
struct TChainBuilder {
  b2World* world;
  std::vector<b2Body*>* segments;
  float density;
  b2EdgeShape shape;
  b2FixtureDef fixture;
  b2RevoluteJointDef joint;
  b2BodyDef body;
  TRopePoint prev;
  b2Body* prevBody;
  bool laid = false;  // at least one segment made

  void AddSegment(TRopePoint c) {
    const TRopePoint mid = Mid(prev, c);
    body.position.Set(mid.x, mid.y);
    shape.SetTwoSided(b2Vec2(prev.x - mid.x, prev.y - mid.y), b2Vec2(c.x - mid.x, c.y - mid.y));
    b2Body* b = world->CreateBody(&body);
    b->CreateFixture(&fixture);
    // Box2D gives an edge no mass: the segment counts as a thin rod about its midpoint.
    const float length = Distance(prev, c);
    b2MassData mass;
    mass.mass = density * length;
    mass.center.SetZero();
    mass.I = mass.mass * length * length / 12.0f;
    b->SetMassData(&mass);
    if (segments != nullptr) segments->push_back(b);
    if (prevBody != nullptr) {
      joint.Initialize(prevBody, b, Vec(prev));
      world->CreateJoint(&joint);
    }
    prevBody = b;
    prev = c;
    laid = true;
  }
};

// Takes a segment out of play. Whatever hung on it may be asleep and would stay
// hanging in the air: wake what its joints held.
void DisableSegment(b2Body* segment) {
  if (!segment->IsEnabled()) return;
  for (b2JointEdge* edge = segment->GetJointList(); edge != nullptr; edge = edge->next) edge->other->SetAwake(true);
  segment->SetEnabled(false);
}

}  // namespace

TRope::TRope(TMeDrawRect* drawRect, TMapObj* objA, TMapObj* objB, int32_t offAx, int32_t offAy, int32_t offBx,
             int32_t offBy)
    : ObjA(objA), ObjB(objB), OffAx(offAx), OffAy(offAy), OffBx(offBx), OffBy(offBy) {
  DrawRect = drawRect;
}

TRope::TRope(const TRope* source) {
  if (source == nullptr) return;
  DrawRect = source->DrawRect;
  ObjA = source->ObjA;
  ObjB = source->ObjB;
  OffAx = source->OffAx;
  OffAy = source->OffAy;
  OffBx = source->OffBx;
  OffBy = source->OffBy;
}

TRope::~TRope() {
  // Live segments must not lead a later query or the world's Clear back to a freed rope.
  for (b2Body* segment : Segments) SetBodyOwner(segment, nullptr);
  Segments.clear();
  Heat.clear();
  Trace("destructor TRope.Destroy;  ");
}

int32_t TRope::AX() const { return ObjA != nullptr ? ObjA->X - OffAx : 0; }
int32_t TRope::AY() const { return ObjA != nullptr ? ObjA->Y - OffAy : 0; }
int32_t TRope::BX() const { return ObjB != nullptr ? ObjB->X - OffBx : 0; }
int32_t TRope::BY() const { return ObjB != nullptr ? ObjB->Y - OffBy : 0; }

bool TRope::Attach(TMapObj* obj, int32_t offX, int32_t offY, bool atCentre) {
  if (obj == nullptr) return false;
  if (atCentre) offX = offY = 0;
  if (ObjA == nullptr) {
    ObjA = obj;
    OffAx = offX;
    OffAy = offY;
    return false;
  }
  if (obj == ObjA) return false;
  ObjB = obj;
  OffBx = offX;
  OffBy = offY;
  return true;
}

void TRope::Draw(int32_t x, int32_t y) {
  DrawLink(x, y);
  DrawPicture(x, y);
}

void TRope::DrawLink(int32_t x, int32_t y) {
  const int32_t ax = AX(), ay = AY(), bx = BX(), by = BY();
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  if (ObjA != nullptr) pr2d_Circle(fx + ax, fy + ay, kEndRingRadius, kColorEndA, 255, 32, 0);
  if (ObjB != nullptr) pr2d_Circle(fx + bx, fy + by, kEndRingRadius, kColorEndB, 255, 32, 0);
  if (ObjA != nullptr && ObjB != nullptr) {
    pr2d_Line(fx + ax, fy + ay, fx + bx, fy + by, 0xFFFFFF, 255, 0);
    X = ax + (bx - ax) / 2;
    Y = ay + (by - ay) / 2;
  }
}

void TRope::DrawPicture(int32_t x, int32_t y) {
  if (DrawRect != nullptr) DrawRect->DrawFrame(x + X, y + Y, 0, 0, 255);
}

void TRope::WorldDraw() {
  const float fx = static_cast<float>(DX), fy = static_cast<float>(DY);
  for (size_t i = 0; i + 1 < Segments.size(); ++i) {
    if (!Segments[i]->IsEnabled() || !Segments[i + 1]->IsEnabled()) continue;
    const b2Vec2 p = Segments[i]->GetPosition();
    const b2Vec2 q = Segments[i + 1]->GetPosition();
    pr2d_Line(fx + p.x, fy + p.y, fx + q.x, fy + q.y, HeatColor(Heat[i]), 240, PR2D_SMOOTH);
  }
}

void TRope::ShapeDraw(int32_t x, int32_t y) {
  pr2d_Circle(static_cast<float>(x + X), static_cast<float>(y + Y), kMarkRadius, 0xFFFFFF, 255, 32, 0);
}

void TRope::Update(int32_t x, int32_t y) {
  for (int32_t& h : Heat)
    if (h > 0) --h;
  DX = x;
  DY = y;
}

bool TRope::PointIn(int32_t x, int32_t y) {
  const zglTCircle circle{static_cast<float>(X), static_cast<float>(Y), kPickRadius};
  return col2d_PointInCircle(static_cast<float>(x), static_cast<float>(y), &circle);
}

void TRope::CreateBody(TWorld* world) {
  // The bodies of an earlier play went with their world.
  Segments.clear();
  Heat.clear();
  LooseA = LooseB = false;
  if (world == nullptr || world->Physics == nullptr) return;
  // An end without a body in this world has nothing to tie to.
  if (ObjA == nullptr || ObjB == nullptr) return;
  if (ObjA->Body == nullptr || ObjB->Body == nullptr || ObjA->World != world || ObjB->World != world) return;

  const TRopePoint pa{static_cast<float>(AX()), static_cast<float>(AY())};
  const TRopePoint pb{static_cast<float>(BX()), static_cast<float>(BY())};
  if (Distance(pa, pb) < kMinTieDistance) return;

  BuildRope({pa, pb}, world->Physics, &Segments, ObjA->Body, ObjB->Body, 0.5f, 20.0f, 1.0f, 0.0f, 0.5f);
  LooseA = ObjA->Dynamic;
  LooseB = ObjB->Dynamic;
  Heat.assign(Segments.size(), 0);
  for (b2Body* segment : Segments) SetBodyOwner(segment, this);
}

bool TRope::LazerHit(b2Body* body) {
  const auto it = std::find(Segments.begin(), Segments.end(), body);
  if (it == Segments.end()) return false;
  const size_t i = static_cast<size_t>(it - Segments.begin());
  Heat[i] += kBeamHeat;
  if (Heat[i] > kBurnAbove) {
    DisableSegment(body);
    Cut(static_cast<int32_t>(i));
  }
  return false;
}

void TRope::Cut(int32_t k) {
  const int32_t count = static_cast<int32_t>(Segments.size());
  if (k < 0 || k >= count) return;
  if (LooseA) {
    for (int32_t i = 0; i <= k; ++i) DisableSegment(Segments[i]);
    LooseA = false;
  }
  if (LooseB) {
    for (int32_t i = k; i < count; ++i) DisableSegment(Segments[i]);
    LooseB = false;
  }
}

void BuildRope(const std::vector<TRopePoint>& points, b2World* world, std::vector<b2Body*>* segments,
               b2Body* startBody, b2Body* endBody, float tolerance, float maxLength, float density, float friction,
               float tension) {
  if (world == nullptr || points.size() < 2) return;
  const std::vector<TRopePoint> q = FlattenCurve(SmoothCurve(points, tension), tolerance);
  if (q.size() < 2) return;

  TChainBuilder chain{world, segments, density, {}, {}, {}, {}, q[0], startBody};
  chain.fixture.shape = &chain.shape;
  chain.fixture.density = density;
  chain.fixture.friction = friction;
  chain.fixture.restitution = 0.0f;
  chain.joint.collideConnected = false;
  chain.body.type = b2_dynamicBody;
  chain.body.angle = 0.0f;

  for (size_t i = 1; i < q.size(); ++i) {
    const TRopePoint c = q[i];
    const float d = Distance(chain.prev, c);
    // A piece of no length has no direction: skip the point, the next piece covers it.
    if (!(d >= kMinTieDistance)) continue;
    if (d > maxLength && maxLength > 0.0f) {
      const int k = static_cast<int>(std::floor(d / maxLength)) + 1;
      const TRopePoint step{(c.x - chain.prev.x) / k, (c.y - chain.prev.y) / k};
      for (int j = 0; j < k; ++j) chain.AddSegment({chain.prev.x + step.x, chain.prev.y + step.y});
    } else {
      chain.AddSegment(c);
    }
  }
  // Without a single segment the two ends would be tied straight together: leave them apart.
  if (endBody != nullptr && chain.laid) {
    chain.joint.Initialize(chain.prevBody, endBody, Vec(chain.prev));
    world->CreateJoint(&chain.joint);
  }
}

std::vector<TRopePoint> SmoothCurve(const std::vector<TRopePoint>& points, float tension) {
  const size_t n = points.size();
  if (n < 2) return points;
  const float t = tension * 0.3f;
  std::vector<TRopePoint> c(3 * n - 2);
  auto along = [t](TRopePoint p, TRopePoint from, TRopePoint to) {
    return TRopePoint{p.x + t * (to.x - from.x), p.y + t * (to.y - from.y)};
  };
  c[0] = points[0];
  c[1] = along(points[0], points[0], points[1]);
  for (size_t i = 1; i + 1 < n; ++i) {
    c[3 * i - 1] = along(points[i], points[i + 1], points[i - 1]);
    c[3 * i] = points[i];
    c[3 * i + 1] = along(points[i], points[i - 1], points[i + 1]);
  }
  c[3 * n - 4] = along(points[n - 1], points[n - 1], points[n - 2]);
  c[3 * n - 3] = points[n - 1];
  return c;
}

std::vector<TRopePoint> FlattenCurve(const std::vector<TRopePoint>& controls, float tolerance) {
  std::vector<TRopePoint> out;
  if (controls.empty() || (controls.size() - 1) % 3 != 0) return out;
  out.reserve(kFlattenRoom);
  for (size_t j = 0; j + 3 < controls.size(); j += 3)
    Subdivide(controls[j], controls[j + 1], controls[j + 2], controls[j + 3], kSubdivideDepth, tolerance, out);
  return out;
}

void Subdivide(TRopePoint c0, TRopePoint c1, TRopePoint c2, TRopePoint c3, int depth, float tolerance,
               std::vector<TRopePoint>& out) {
  if (depth > 0 && !IsFlat(c0, c1, c2, c3, tolerance)) {
    const TRopePoint m01 = Mid(c0, c1), m12 = Mid(c1, c2), m23 = Mid(c2, c3);
    const TRopePoint m012 = Mid(m01, m12), m123 = Mid(m12, m23);
    const TRopePoint mid = Mid(m012, m123);
    Subdivide(c0, m01, m012, mid, depth - 1, tolerance, out);
    Subdivide(mid, m123, m23, c3, depth - 1, tolerance, out);
    return;
  }
  // The room doubles whenever it is full.
  if (out.size() + 2 > out.capacity()) out.reserve(std::max<size_t>(kFlattenRoom, out.capacity() * 2));
  if (out.empty()) out.push_back(c0);
  out.push_back(c3);
}

bool IsFlat(TRopePoint c0, TRopePoint c1, TRopePoint c2, TRopePoint c3, float tolerance) {
  float dx = c3.x - c0.x, dy = c3.y - c0.y;
  // Measure across the main axis of the chord.
  if (std::fabs(dx) < std::fabs(dy)) {
    std::swap(c0.x, c0.y);
    std::swap(c1.x, c1.y);
    std::swap(c2.x, c2.y);
    std::swap(c3.x, c3.y);
    std::swap(dx, dy);
  }
  const float lo = std::min(c0.x, c3.x), hi = std::max(c0.x, c3.x);
  if (c1.x < lo || c1.x > hi || c2.x < lo || c2.x > hi) return false;
  if (std::fabs(dx) <= 0.0001f) return true;
  const float slope = dy / dx;
  return std::fabs(c1.y - c0.y - slope * (c1.x - c0.x)) <= tolerance &&
         std::fabs(c2.y - c0.y - slope * (c2.x - c0.x)) <= tolerance;
}
