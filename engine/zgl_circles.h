// Small circles as runs of pixels. A software renderer spends far more on the
// setup of many tiny triangles than on their pixels (a grid dot of 25 segments
// is 50 triangles over about 20 pixels), so each small circle shape (radius,
// segment count, outline or filled) is rasterised once into horizontal runs of
// covered pixels, and every circle of that shape is drawn as those runs: a few
// axis-aligned rectangles, which the renderer fills directly, in the same
// untextured batch as the other primitives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

class ZglCircleCache {
 public:
  // Larger circles stay triangles: their pixels outweigh the setup.
  static constexpr float kMaxRadius = 16;
  // Shapes kept at most; beyond them circles are triangles.
  static constexpr size_t kMaxShapes = 64;

  // One run of pixels: W pixels from (DX, DY) to the right, relative to the
  // circle's centre.
  struct Span {
    int DX, DY, W;
  };

  // True when the shape may be cached: a radius of at most kMaxRadius in
  // steps of half a pixel (the sizes the game names; a radius that varies
  // continuously would fill the cache with one-off shapes).
  static bool Cacheable(float Radius);

  // The shape's runs, rasterised on first use (Quality below 3 counts as 3);
  // nullptr when the shape is not cacheable or the cache is full. The list
  // stays valid as long as the cache.
  const std::vector<Span>* Get(float Radius, uint16_t Quality, bool Fill);

  size_t ShapeCount() const { return shapes_.size(); }

  // The runs of the Quality-gon of circumradius Radius about a pixel corner
  // (filled, or the band between the polygons half a pixel outside and inside
  // the radius): a pixel is covered when its centre is inside, as a triangle
  // rasteriser decides.
  static std::vector<Span> Rasterise(float Radius, int Quality, bool Fill);

 private:
  struct Entry {
    int radius2;  // radius in half pixels
    int quality;
    bool fill;
    std::vector<Span> spans;
  };
  std::deque<Entry> shapes_;  // a deque: lists handed out stay where they are
};
