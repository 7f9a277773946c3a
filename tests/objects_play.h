// A small play loop for the special objects: a real TWorld and objects built
// directly, ticked in the same order as the map's play tick.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "level/uMapObj.h"
#include "level/uWorld.h"
#include "objects/uBomb.h"
#include "objects/uLazer.h"
#include "objects/uRope.h"
#include "tests/fake/FakeEngine.h"
#include "toolkit/uMeForm.h"

class ObjectsPlay : public testing::Test {
 protected:
  static constexpr int32_t kMapX = 214, kMapY = 34;

  // A rectangle object of w x h whose look has the same size.
  template <typename T = TMapObj>
  T* Rect(int32_t x, int32_t y, int32_t w, int32_t h, bool dynamic, uint8_t color = 0, int32_t angle = 0) {
    return Add<T>(x, y, w, h, new TShapeRect(w, h), dynamic, color, angle);
  }
  // A circle object of radius r on a look of lookW x lookH.
  template <typename T = TMapObj>
  T* Circle(int32_t x, int32_t y, int32_t r, bool dynamic, int32_t lookW = 32, int32_t lookH = 52) {
    return Add<T>(x, y, lookW, lookH, new TShapeCircle(2 * r), dynamic, 0, 0);
  }
  // A static laser box with the 40 x 23 look of the palette's, or of width w.
  TLazerBox* Laser(int32_t x, int32_t y, int32_t angle, float beamLength = 0, int32_t w = 40) {
    TLazerBox* box = Add<TLazerBox>(x, y, w, 23, new TShapeRect(w, 20), false, 0, angle);
    box->BeamLength = beamLength;
    return box;
  }
  TRope* Rope(TMapObj* a, TMapObj* b, int32_t offAx = 0, int32_t offAy = 0, int32_t offBx = 0, int32_t offBy = 0) {
    ropes.push_back(std::make_unique<TRope>(nullptr, a, b, offAx, offAy, offBx, offBy));
    return ropes.back().get();
  }

  // Play start: a fresh world, every object's body, then every rope's chain.
  void Start(int32_t gx = 0, int32_t gy = 10) {
    world.reset();
    world = std::make_unique<TWorld>(gx, gy);
    for (auto& o : objs) o->CreateBody(world.get());
    for (auto& r : ropes) r->CreateBody(world.get());
  }
  // One play tick in the map's order.
  void Tick(bool paused = false) {
    world->FreeLazers();
    if (!paused) world->Step();
    for (auto& o : objs) o->Update(kMapX, kMapY);
    for (auto& r : ropes) r->Update(kMapX, kMapY);
    for (TLazer* l : world->Lazers) l->Trace();
  }
  void Ticks(int n, bool paused = false) {
    for (int i = 0; i < n; ++i) Tick(paused);
  }
  int JointCount() const {
    int n = 0;
    for (b2Joint* j = world->Physics->GetJointList(); j; j = j->GetNext()) ++n;
    return n;
  }
  bool HasBody(const b2Body* body) const {
    for (b2Body* b = world->Physics->GetBodyList(); b; b = b->GetNext())
      if (b == body) return true;
    return false;
  }

  FakeEngine engine;
  // Looks, objects and ropes outlive the world, whose Clear still reaches them.
  std::vector<std::unique_ptr<TMeDrawRect>> looks;
  std::vector<std::unique_ptr<TMapObj>> objs;
  std::vector<std::unique_ptr<TRope>> ropes;
  std::unique_ptr<TWorld> world;

 private:
  template <typename T>
  T* Add(int32_t x, int32_t y, int32_t lookW, int32_t lookH, TMeFormShape* shape, bool dynamic, uint8_t color,
         int32_t angle) {
    looks.push_back(std::make_unique<TMeDrawRect>(nullptr, lookW, lookH));
    looks.back()->AddFrame(0, 0);
    auto obj = std::make_unique<T>(looks.back().get(), shape);
    obj->X = x;
    obj->Y = y;
    obj->Dynamic = dynamic;
    obj->Color = color;
    obj->Angle = angle;
    T* raw = obj.get();
    objs.push_back(std::move(obj));
    return raw;
  }
};

inline float Dist(b2Vec2 a, b2Vec2 b) { return (a - b).Length(); }
