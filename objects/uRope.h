// Ropes: two objects tied by a chain of jointed segments that beams can burn.
#pragma once

#include <box2d/box2d.h>

#include <cstdint>
#include <vector>

#include "level/uMapObj.h"

class TMeDrawRect;

struct TRopePoint {
  float x, y;
};

class TRope : public TMapObjProt {
 public:
  // Create: the given look, ends and offsets; no segments.
  TRope(TMeDrawRect* drawRect, TMapObj* objA, TMapObj* objB, int32_t offAx, int32_t offAy, int32_t offBx,
        int32_t offBy);
  // CreateCopy: look, ends and offsets of source (nothing when source is nullptr).
  explicit TRope(const TRope* source);
  // Writes "destructor TRope.Destroy;  ".
  ~TRope() override;
  TRope(const TRope&) = delete;
  TRope& operator=(const TRope&) = delete;

  // Ties the next free end in the editor; true when the rope is complete.
  bool Attach(TMapObj* obj, int32_t offX, int32_t offY, bool atCentre);

  void Draw(int32_t x, int32_t y) override;  // also recomputes X, Y (the midpoint)
  // Draw's two halves: the end rings and the line (recomputing the midpoint),
  // then the picture at the midpoint. The map draws every rope's first half
  // before any picture, so the untextured parts share one batch.
  void DrawLink(int32_t x, int32_t y);
  void DrawPicture(int32_t x, int32_t y);
  void WorldDraw() override;
  void ShapeDraw(int32_t x, int32_t y) override;
  void Update(int32_t x, int32_t y) override;
  bool PointIn(int32_t x, int32_t y) override;
  void CreateBody(TWorld* world) override;
  bool LazerHit(b2Body* body) override;
  // Drops the loose parts after segment k burnt through.
  void Cut(int32_t k);

  // Tie points in map pixels.
  int32_t AX() const;
  int32_t AY() const;
  int32_t BX() const;
  int32_t BY() const;

  std::vector<b2Body*> Segments;  // the list is the rope's, the bodies the world's
  std::vector<int32_t> Heat;
  bool LooseA = false, LooseB = false;
  TMapObj* ObjA = nullptr;  // not owned
  TMapObj* ObjB = nullptr;  // not owned
  int32_t OffAx = 0, OffAy = 0;
  int32_t OffBx = 0, OffBy = 0;
};

// The chain builder: segments from the smoothed polyline through points.
void BuildRope(const std::vector<TRopePoint>& points, b2World* world, std::vector<b2Body*>* segments,
               b2Body* startBody, b2Body* endBody, float tolerance, float maxLength, float density, float friction,
               float tension);
std::vector<TRopePoint> SmoothCurve(const std::vector<TRopePoint>& points, float tension);
std::vector<TRopePoint> FlattenCurve(const std::vector<TRopePoint>& controls, float tolerance);
void Subdivide(TRopePoint c0, TRopePoint c1, TRopePoint c2, TRopePoint c3, int depth, float tolerance,
               std::vector<TRopePoint>& out);
bool IsFlat(TRopePoint c0, TRopePoint c1, TRopePoint c2, TRopePoint c3, float tolerance);
