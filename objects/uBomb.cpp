#include "objects/uBomb.h"

#include "level/uWorld.h"

namespace {

constexpr int32_t kLightAbove = 245;    // heat above which the fuse catches
constexpr uint8_t kFullFuse = 200;
constexpr uint8_t kFuseBurn = 5;        // per tick
constexpr float kBlastStartRadius = 16.0f;
constexpr float kBlastGrowth = 7.0f;    // radius per explosion step
constexpr uint8_t kBlastFade = 15;      // alpha per explosion step; at or below it the bomb is gone
constexpr uint8_t kFirstPulseDelay = 5;
constexpr uint8_t kPulseInterval = 4;
constexpr float kBlastImpulse = 900000.0f;
constexpr int32_t kBlastHeat = 100;
constexpr int32_t kBeamHeat = 4;
constexpr float kRingRadius = 14.0f;

}  // namespace

void TBomb::CreateBody(TWorld* world) {
  TMapObj::CreateBody(world);
  Lit = false;
  Exploding = false;
  Alive = Body != nullptr;
  Heat = 0;
  Fuse = kFullFuse;
  BlastAlpha = 255;
}

bool TBomb::LazerHit(b2Body* body) {
  Heat += kBeamHeat;
  return false;
}

void TBomb::Update(int32_t x, int32_t y) {
  if (!Alive) return;
  TMapObj::Update(x, y);

  if (Exploding) {
    ExplosionStep();
  } else if (Lit) {
    if (Fuse > 0) {
      Fuse = static_cast<uint8_t>(Fuse > kFuseBurn ? Fuse - kFuseBurn : 0);
    } else {
      Exploding = true;
      BlastCentre = Body->GetPosition();
      Blast.cX = BlastCentre.x;
      Blast.cY = BlastCentre.y;
      Blast.Radius = kBlastStartRadius;
      Pulse = kFirstPulseDelay;
      BlastAlpha = 255;
    }
  } else if (Heat > 0) {
    --Heat;
    if (Heat > kLightAbove) Lit = true;
  }

  BlastScreenX = static_cast<float>(x) + Blast.cX;
  BlastScreenY = static_cast<float>(y) + Blast.cY;
}

void TBomb::ExplosionStep() {
  if (BlastAlpha <= kBlastFade) {
    // The body's joints (a rope's tie) go with it.
    if (World != nullptr) {
      World->ForgetBody(Body);
      World->Physics->DestroyBody(Body);
    }
    Body = nullptr;
    Alive = false;
    return;
  }
  Blast.Radius += kBlastGrowth;
  BlastAlpha = static_cast<uint8_t>(BlastAlpha - kBlastFade);
  if (Pulse > 0) {
    --Pulse;
    return;
  }
  Pulse = kPulseInterval;
  BlastPulse();
}

void TBomb::BlastPulse() {
  b2World* physics = World->Physics;
  for (b2Body* b = physics->GetBodyList(); b != nullptr;) {
    b2Body* next = b->GetNext();
    if (b != Body && b->GetType() == b2_dynamicBody) {
      const b2Vec2 p = b->GetPosition();
      if (col2d_PointInCircle(p.x, p.y, &Blast)) {
        const b2Vec2 away = p - BlastCentre;
        const float len = away.Length();
        // A body right at the centre has no direction to be pushed in.
        if (len > 0.0f) b->ApplyLinearImpulse((kBlastImpulse / len) * away, b->GetWorldCenter(), true);
        if (auto* bomb = dynamic_cast<TBomb*>(BodyOwner(b))) bomb->Heat += kBlastHeat;
      }
    }
    b = next;
  }
}

void TBomb::WorldDraw() {
  if (!Alive) return;
  TMapObj::WorldDraw();
  if (Exploding) pr2d_Circle(BlastScreenX, BlastScreenY, Blast.Radius, 0xFFFFFF, BlastAlpha, 18, PR2D_FILL);

  const float cx = WorldX - static_cast<float>(DX);
  const float cy = WorldY - static_cast<float>(DY);
  pr2d_Circle(cx, cy, kRingRadius, HeatColor(Heat), 255, 32, 0);
  if (Lit) pr2d_Circle(cx, cy, static_cast<float>(Fuse) / 200.0f * kRingRadius, 0xFFFFFF, 255, 32, 0);
}

uint32_t HeatColor(int32_t heat) {
  // Wraps like 32-bit integer arithmetic: above 255 the subtraction runs into the red byte and beyond.
  return 0xFFFFFFu - 257u * static_cast<uint32_t>(heat);
}
