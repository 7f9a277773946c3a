// Laser boxes and the beams they shoot.
#pragma once

#include <box2d/box2d.h>

#include <cstdint>
#include <vector>

#include "level/uMapObj.h"

class TWorld;
class TLazer;

constexpr uint32_t kBeamColor = 0xF02222;

class TLazerBox : public TMapObj {
 public:
  using TMapObj::TMapObj;
  // The play pose, then a beam one step longer from the body's pose into World->Lazers.
  void Update(int32_t x, int32_t y) override;

  TLazer* Lazer = nullptr;  // the last beam emitted; owned by the world's Lazers, never freed here
  float BeamLength = 0;     // grows by 15 per tick, kept across plays
};

// The beam of one play tick.
class TLazer {
 public:
  TLazer(b2Vec2 start, b2Vec2 dir, uint32_t color, TWorld* world, float length);
  // Casts at most 10 rays, reflecting off objects whose LazerHit answers true.
  void Trace();
  // Lines from Origin through Points, shifted by the map's screen origin.
  void Draw(int32_t x, int32_t y) const;

  b2Vec2 Origin;
  b2Vec2 Dir;
  std::vector<b2Vec2> Points;
  TWorld* World;
  uint32_t BeamColor;
  float Length;
};

// Keeps the nearest fixture along a ray.
class TRayCastAnyCallback : public b2RayCastCallback {
 public:
  float ReportFixture(b2Fixture* fixture, const b2Vec2& point, const b2Vec2& normal, float fraction) override;

  bool Hit = false;
  b2Vec2 Point{0, 0};
  b2Vec2 Normal{0, 0};
  b2Body* Body = nullptr;
};
