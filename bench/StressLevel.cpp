#include "StressLevel.h"

#include <cmath>
#include <unordered_map>

#include "level/uMap.h"
#include "level/uMapObj.h"
#include "level/uWorld.h"
#include "objects/uBomb.h"
#include "objects/uLazer.h"
#include "objects/uRope.h"
#include "toolkit/uMeForm.h"

namespace {

TMapObj* Add(TMap& map, TMapObj* o, int x, int y, int angle, bool dynamic, int color = 0) {
  o->X = x;
  o->Y = y;
  o->Angle = angle;
  o->Dynamic = dynamic;
  o->Color = static_cast<uint8_t>(color);
  map.Obj.push_back(o);
  return o;
}

TMapObj* Rect(TMap& map, int look, int w, int h, int x, int y, int angle, bool dynamic, int color = 0) {
  return Add(map, new TMapObj(map.DrawRects[look], new TShapeRect(w, h)), x, y, angle, dynamic, color);
}

TMapObj* Ball(TMap& map, int look, int d, int x, int y, bool dynamic) {
  return Add(map, new TMapObj(map.DrawRects[look], new TShapeCircle(d)), x, y, 0, dynamic);
}

void Tie(TMap& map, TMapObj* a, TMapObj* b) { map.Ropes.push_back(new TRope(map.DrawRects[7], a, b, 0, 0, 0, 0)); }

}  // namespace

void BuildStressLevel(TMap& map, int copies) {
  for (int c = 0; c < copies; c++) {
    const int ox = c * 700;
    // 10 static floor planks.
    for (int i = 0; i < 10; i++) Rect(map, 3, 140, 10, ox + 35 + i * 60, 670, 0, false);
    // 25 static pegs, each holding a dynamic block on a rope.
    for (int i = 0; i < 25; i++) {
      TMapObj* peg = Ball(map, 6, 16, ox + 35 + i * 22, 35, false);
      TMapObj* block = Rect(map, 2, 26, 26, ox + 35 + i * 22, 105 + (i % 3) * 20, 0, true);
      Tie(map, peg, block);
    }
    // 25 pairs of balls tied together, falling into the pile.
    for (int i = 0; i < 25; i++) {
      TMapObj* a = Ball(map, 5, 32, ox + 40 + i * 22, 250 + (i % 4) * 30, true);
      TMapObj* b = Ball(map, 5, 32, ox + 60 + i * 22, 300 + (i % 4) * 30, true);
      Tie(map, a, b);
    }
    // 15 planks stacked loosely.
    for (int i = 0; i < 15; i++) Rect(map, 1, 26, 70, ox + 70 + i * 35, 560 - (i % 3) * 40, (i * 15) % 90, true);
    // 10 laser boxes, each aimed at a static 45-degree mirror that turns its beam down into the pile.
    for (int i = 0; i < 10; i++) {
      int y = 420 + i * 20;
      Add(map, new TLazerBox(map.DrawRects[9], new TShapeRect(40, 20)), ox + 20, y, 0, false);
      Rect(map, 2, 26, 26, ox + 120 + i * 45, y, 45, false, 2);
    }
    // 5 bombs in the pile.
    for (int i = 0; i < 5; i++) Add(map, new TBomb(map.DrawRects[8], new TShapeCircle(30)), ox + 150 + i * 90, 620, 0, true);
  }
}

// ---- the raw baseline ---------------------------------------------------------

namespace {

struct NearestHit : b2RayCastCallback {
  bool hit = false;
  b2Vec2 point{0, 0}, normal{0, 0};
  b2Body* body = nullptr;
  float ReportFixture(b2Fixture* f, const b2Vec2& p, const b2Vec2& n, float fraction) override {
    hit = true;
    point = p;
    normal = n;
    body = f->GetBody();
    return fraction;
  }
};

constexpr uintptr_t kMirror = 1;

}  // namespace

RawStressWorld::RawStressWorld(const TMap& map) {
  std::unordered_map<const TMapObj*, b2Body*> bodies;
  for (const TMapObj* o : map.Obj) {
    b2BodyDef def;
    def.type = o->Dynamic ? b2_dynamicBody : b2_staticBody;
    def.position.Set(static_cast<float>(o->X), static_cast<float>(o->Y));
    def.angle = static_cast<float>(o->Angle) * kDegToRad;
    b2Body* body = world.CreateBody(&def);
    b2FixtureDef fd;
    fd.density = 1;
    fd.friction = 0.2f;
    b2PolygonShape box;
    b2CircleShape circle;
    if (auto* r = dynamic_cast<const TShapeRect*>(o->Shape)) {
      box.SetAsBox(r->Rect.W / 2, r->Rect.H / 2);
      fd.shape = &box;
    } else {
      circle.m_radius = static_cast<const TShapeCircle*>(o->Shape)->Circle.Radius;
      fd.shape = &circle;
    }
    body->CreateFixture(&fd);
    if (o->Color == 2) body->GetUserData().pointer = kMirror;
    bodies[o] = body;
    if (dynamic_cast<const TLazerBox*>(o)) lasers_.push_back({body, static_cast<float>(o->W)});
  }
  for (const TRope* r : map.Ropes) {
    std::vector<TRopePoint> pts = {{static_cast<float>(r->AX()), static_cast<float>(r->AY())},
                                   {static_cast<float>(r->BX()), static_cast<float>(r->BY())}};
    BuildRope(pts, &world, nullptr, bodies[r->ObjA], bodies[r->ObjB], 0.5f, 20.0f, 1.0f, 0.0f, 0.5f);
  }
  points_.reserve(16);
}

RawStressWorld::~RawStressWorld() = default;

void RawStressWorld::Tick() {
  world.Step(1.0f / 30, 7, 5);
  world.Step(1.0f / 30, 7, 5);
  world.ClearForces();
  for (Laser& l : lasers_) {
    l.length += 15;
    float a = l.body->GetAngle();
    b2Vec2 d(std::cos(a), std::sin(a));
    b2Vec2 p1 = l.body->GetPosition() + (l.w * 0.4f + 3) * d;
    float rest = l.length;
    b2Vec2 p2 = p1 + rest * d;
    points_.clear();
    for (int pass = 0; pass < 10; pass++) {
      NearestHit cb;
      world.RayCast(&cb, p1, p2);
      if (!cb.hit) {
        points_.push_back(p2);
        break;
      }
      points_.push_back(cb.point);
      if (cb.body->GetUserData().pointer != kMirror) break;
      b2Vec2 v = p1 - cb.point;
      float dist = v.Length();
      rest -= dist;
      if (dist <= 0 || rest <= 0) break;
      v *= 1.0f / dist;
      b2Vec2 r = v - 2 * b2Dot(v, cb.normal) * cb.normal;
      p1 = cb.point;
      p2 = cb.point - rest * r;
    }
  }
}
