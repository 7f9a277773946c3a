// A generated stress level for the benchmarks: 150 objects (planks, blocks and
// balls, 10 laser boxes aimed at mirrors, 5 bombs) and 50 ropes, repeated
// Copies times side by side.
#pragma once

#include <box2d/box2d.h>

#include <vector>

class TMap;

void BuildStressLevel(TMap& map, int copies);

// The same bodies, fixtures and joints built straight into a Box2D world, and
// the per-tick work without the game around it: two steps and the beams' ray
// casts, reflecting off mirror bodies.
class RawStressWorld {
 public:
  explicit RawStressWorld(const TMap& map);
  ~RawStressWorld();
  void Tick();

  b2World world{b2Vec2(0, 10)};

 private:
  struct Laser {
    b2Body* body;
    float w;
    float length = 0;
  };
  std::vector<Laser> lasers_;
  std::vector<b2Vec2> points_;
};
