// The physics of one run of play: a Box2D world in map pixels (no scale).
#pragma once

#include <box2d/box2d.h>

#include <cstdint>
#include <vector>

class TMeFormShape;
class TShapeRect;
class TShapeCircle;
class TLazer;

constexpr float kDegToRad = 0.017453292f;    // degrees to radians, as the level data uses it
constexpr float kRadToDeg = 57.29578049f;    // radians to degrees (not the exact inverse)

class TWorld {
 public:
  // A world with gravity (gx, gy) in pixels per second squared; sleeping allowed.
  TWorld(int32_t gx, int32_t gy);
  // Clears what is left, then destroys the Box2D world.
  ~TWorld();
  TWorld(const TWorld&) = delete;
  TWorld& operator=(const TWorld&) = delete;

  // One play tick: two steps of 1/30 s (7 velocity, 5 position iterations), then ClearForces.
  void Step();
  // Destroys every joint, then every body (user data reset first, and the map
  // object or rope it named forgets the body), then frees the beams; Physics stays.
  void Clear();
  // Frees every beam in Lazers, last to first, and empties the list.
  void FreeLazers();
  // Body for a map object's editing pose and shape; appended to Bodies. The
  // caller sets the user data.
  b2Body* CreateObjBody(int32_t x, int32_t y, int32_t angle, TMeFormShape* shape, bool dynamic);
  static b2PolygonShape BoxShape(const TShapeRect& shape);
  static b2CircleShape CircleShape(const TShapeCircle& shape);
  // Removes a body that its owner destroyed itself (a bomb) from Bodies.
  void ForgetBody(b2Body* body);

  b2World* Physics;
  std::vector<b2Body*> Bodies;
  std::vector<TLazer*> Lazers;  // owned
};

class TMapObjProt;

// The map object or rope a body belongs to, or nullptr.
TMapObjProt* BodyOwner(const b2Body* body);
void SetBodyOwner(b2Body* body, TMapObjProt* owner);
