// Bombs: heat under beams, light, burn the fuse, explode in three pulses.
#pragma once

#include <box2d/box2d.h>

#include <cstdint>

#include "level/uMapObj.h"
#include "shell/uZenGL.h"

class TBomb : public TMapObj {
 public:
  using TMapObj::TMapObj;
  void WorldDraw() override;
  void Update(int32_t x, int32_t y) override;
  // The ordinary body, then back to idle: not lit, not exploding, heat 0, fuse 200.
  void CreateBody(TWorld* world) override;
  // Heat +4 in every state; the beam ends here.
  bool LazerHit(b2Body* body) override;

  int32_t Heat = 0;
  uint8_t BlastAlpha = 0;
  uint8_t Pulse = 0;
  uint8_t Fuse = 0;
  zglTCircle Blast{0, 0, 0};
  bool Alive = false;
  bool Exploding = false;
  bool Lit = false;
  b2Vec2 BlastCentre{0, 0};
  float BlastScreenX = 0, BlastScreenY = 0;

 private:
  // One tick of the running explosion; the last one destroys the body.
  void ExplosionStep();
  // Pushes every other dynamic body whose origin lies in the disc away from the centre, and heats bombs.
  void BlastPulse();
};

// The colour of something at this heat: white turning red as it heats.
uint32_t HeatColor(int32_t heat);
