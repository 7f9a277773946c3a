// Map objects: everything placed on a level.
#pragma once

#include <box2d/box2d.h>

#include <cstdint>

class TMeDrawRect;
class TMeFormShape;
class TWorld;
struct TLevelRecord;

// The abstract base of objects and ropes. Operations 1 to 6 of the base only
// write their own names as trace lines.
class TMapObjProt {
 public:
  virtual ~TMapObjProt() = default;
  // Editing pose; (x, y) is the screen position of the map's origin.
  virtual void Draw(int32_t x, int32_t y);
  // Play pose.
  virtual void WorldDraw();
  // The outline of the shape (the editor's selection mark).
  virtual void ShapeDraw(int32_t x, int32_t y);
  // Once per play tick, paused ticks included.
  virtual void Update(int32_t x, int32_t y);
  // Whether the map point lies on the object.
  virtual bool PointIn(int32_t x, int32_t y);
  // Builds the object's physics in world at play start.
  virtual void CreateBody(TWorld* world);
  // A beam ended on body, one of this object's; true reflects it.
  virtual bool LazerHit(b2Body* body);

  int32_t X = 0, Y = 0;
  int32_t DX = 0, DY = 0;
  TMeDrawRect* DrawRect = nullptr;  // shared, the map's
};

class TMapObj : public TMapObjProt {
 public:
  // Create: at (0, 0) with the look's size and offsets; takes over shape.
  TMapObj(TMeDrawRect* drawRect, TMeFormShape* shape);
  // CreateCopy: the editing pose, look, size and options of source, a new shape
  // of the same kind; no body.
  explicit TMapObj(const TMapObj* source);
  // CreateFromRecord: from one level record and the look it names. The record
  // must name a known shape ("RECT" or "CIRC"); the loader checks that.
  TMapObj(const TLevelRecord& record, TMeDrawRect* drawRect);
  ~TMapObj() override;
  TMapObj(const TMapObj&) = delete;
  TMapObj& operator=(const TMapObj&) = delete;

  void Draw(int32_t x, int32_t y) override;
  void WorldDraw() override;
  void ShapeDraw(int32_t x, int32_t y) override;
  void Update(int32_t x, int32_t y) override;
  bool PointIn(int32_t x, int32_t y) override;
  void CreateBody(TWorld* world) override;
  bool LazerHit(b2Body* body) override;

  // Grows sprite and shape about the centre; refused as a whole when W or H would be 8 or less.
  void Resize(int32_t dW, int32_t dH);

  int32_t Angle = 0;  // degrees
  float WorldX = 0, WorldY = 0, WorldAngle = 0;  // play pose: sprite's top-left on screen, degrees
  TMeFormShape* Shape = nullptr;  // owned
  // The body in the current world, or nullptr. Never names a destroyed body:
  // the world's Clear and a bomb's explosion reset it.
  b2Body* Body = nullptr;
  bool Interactive = false;
  bool Dynamic = true;
  int32_t W = 0, H = 0;
  TWorld* World = nullptr;  // not owned
  uint8_t Color = 0;  // 0 black, 1 white, 2 mirror: the frame of the look
};
