#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "engine/zgl_batch.h"
#include "engine/zgl_circles.h"
#include "engine/zgl_fade.h"

namespace {

using Span = ZglCircleCache::Span;

// The covered pixels of a list of runs, as (x, y) offsets from the centre.
std::set<std::pair<int, int>> Pixels(const std::vector<Span>& spans) {
  std::set<std::pair<int, int>> out;
  for (const Span& s : spans) {
    EXPECT_GT(s.W, 0);
    for (int x = s.DX; x < s.DX + s.W; x++) EXPECT_TRUE(out.insert({x, s.DY}).second) << "pixel covered twice";
  }
  return out;
}

// Distance from the centre (a pixel corner) to the centre of pixel (x, y).
float Dist(int x, int y) { return std::hypot(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f); }

}  // namespace

// A ring covers the pixels whose centres lie in the band half a pixel either
// side of the radius (nearly: the polygon cuts corners), and a disc those
// within the radius; nothing beyond the outer edge, no pixel twice, and the
// shape is symmetric about the centre.
TEST(EngineCircles, RunsCoverTheBandOrDiscAboutTheCentre) {
  struct Case {
    float radius;
    int quality;
    bool fill;
  } cases[] = {{3, 25, false}, {3, 32, true}, {4, 32, false}, {7.5f, 32, false}, {16, 64, true}, {2, 8, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "radius " << c.radius << (c.fill ? " filled" : " outline"));
    auto px = Pixels(ZglCircleCache::Rasterise(c.radius, c.quality, c.fill));
    ASSERT_FALSE(px.empty());
    float outer = c.fill ? c.radius : c.radius + 0.5f, inner = c.fill ? 0 : c.radius - 0.5f;
    // A polygon of n corners reaches in to R cos(pi / n) between them.
    float cut = std::cos(3.14159265f / static_cast<float>(c.quality));
    for (auto [x, y] : px) {
      EXPECT_LE(Dist(x, y), outer + 1e-4) << x << "," << y;
      EXPECT_GE(Dist(x, y), inner * cut - 1e-4) << x << "," << y;
      EXPECT_TRUE(px.count({-1 - x, y}) && px.count({x, -1 - y})) << "not symmetric at " << x << "," << y;
    }
    // Pixels well inside the band (or disc) are covered.
    for (int y = -20; y < 20; y++)
      for (int x = -20; x < 20; x++) {
        float d = Dist(x, y);
        bool deepIn = d < outer * cut - 0.05f && d > inner + 0.05f;
        if (deepIn) {
          EXPECT_TRUE(px.count({x, y})) << x << "," << y;
        }
      }
    if (!c.fill) {
      EXPECT_FALSE(px.count({0, 0})) << "a ring is open in the middle";
    }
  }
}

TEST(EngineCircles, CacheKeepsOneShapePerRadiusQualityAndFill) {
  ZglCircleCache cache;
  const auto* a = cache.Get(3, 25, false);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(cache.Get(3, 25, false), a) << "the same shape is rasterised once";
  EXPECT_NE(cache.Get(3, 25, true), a);
  EXPECT_NE(cache.Get(3, 32, false), a);
  EXPECT_NE(cache.Get(3.5f, 25, false), a);
  EXPECT_EQ(cache.Get(3, 1, false), cache.Get(3, 3, false)) << "fewer than 3 segments are 3";
  EXPECT_EQ(cache.ShapeCount(), 5u);

  // Only small radii in half-pixel steps: a fuse ring shrinking continuously,
  // or a blast, stays triangles instead of filling the cache.
  for (float r : {0.0f, -2.0f, 3.3f, 16.5f, 40.0f, NAN}) EXPECT_EQ(cache.Get(r, 32, false), nullptr) << r;
  EXPECT_EQ(cache.ShapeCount(), 5u);

  // A full cache draws new shapes as triangles; the lists handed out stay valid.
  std::vector<Span> first = *a;
  for (int q = 3; cache.ShapeCount() < ZglCircleCache::kMaxShapes; q++) cache.Get(2, static_cast<uint16_t>(q), false);
  EXPECT_EQ(cache.Get(2, 1000, false), nullptr);
  EXPECT_EQ(cache.Get(3, 25, false), a);
  ASSERT_EQ(a->size(), first.size());
  for (size_t i = 0; i < first.size(); i++) EXPECT_EQ((*a)[i].DX, first[i].DX);
}

// With a cache, the editor's grid dot is one axis-aligned 1 px quad per run at
// the dot's place, untextured and blended, so it joins the primitives' batch;
// without one, or for a circle the cache refuses, the triangle path draws.
TEST(EngineCircles, BatcherDrawsCachedCirclesAsRunsInThePrimitiveBatch) {
  struct Batch {
    void* texture;
    bool blend;
    size_t vertices;
  };
  std::vector<Batch> batches;
  ZglBatcher batch{[&](void* t, bool blend, const SDL_Vertex*, int nv, const int*, int) {
    batches.push_back({t, blend, static_cast<size_t>(nv)});
  }};
  ZglCircleCache cache;
  batch.SetCircleCache(&cache);
  const std::vector<Span> runs = ZglCircleCache::Rasterise(3, 25, false);

  batch.Line(0, 0, 50, 50, 0xFFFFFF, 255, false);
  batch.Circle(214, 34, 3, 0xFFFFFF, 53, 25, false);
  const auto& v = batch.Vertices();
  ASSERT_EQ(v.size(), 4 + 4 * runs.size());
  for (size_t k = 0; k < runs.size(); k++) {
    const SDL_Vertex* q = &v[4 + 4 * k];
    EXPECT_FLOAT_EQ(q[0].position.x, 214.0f + static_cast<float>(runs[k].DX));
    EXPECT_FLOAT_EQ(q[0].position.y, 34.0f + static_cast<float>(runs[k].DY));
    EXPECT_FLOAT_EQ(q[2].position.x - q[0].position.x, static_cast<float>(runs[k].W));
    EXPECT_FLOAT_EQ(q[2].position.y - q[0].position.y, 1.0f);
    EXPECT_FLOAT_EQ(q[1].position.y, q[0].position.y) << "axis-aligned";
    EXPECT_EQ(q[0].color.a, 53);
    EXPECT_EQ(q[0].color.r, 255);
  }
  batch.Circle(100, 100, 40, 0xFFFFFF, 255, 18, true);  // too large: a fan of 19 vertices
  EXPECT_EQ(v.size(), 4 + 4 * runs.size() + 19);
  batch.Flush();
  ASSERT_EQ(batches.size(), 1u) << "line, cached dot and fan share one batch";
  EXPECT_EQ(batches[0].texture, nullptr);
  EXPECT_TRUE(batches[0].blend);

  batch.SetCircleCache(nullptr);
  batch.Circle(214, 34, 3, 0xFFFFFF, 53, 25, false);
  EXPECT_EQ(batch.Vertices().size(), 50u) << "without a cache: the ring of 25 segments";
}

// Fading scales each alpha by Alpha / 255 rounded down, as the renderer's
// modulation does, and keeps the colour.
TEST(EngineFade, TexelAlphasScaleAndColourStays) {
  std::vector<uint32_t> in = {0xFF123456, 0x80ABCDEF, 0x00FFFFFF, 0x01000000};
  struct Case {
    uint8_t alpha;
    std::vector<uint32_t> out;
  } cases[] = {
      // 255*155/255 = 155 (0x9B); 128*155/255 = 77.8 -> 77 (0x4D); 1*155/255 -> 0.
      {155, {0x9B123456, 0x4DABCDEF, 0x00FFFFFF, 0x00000000}},
      {255, in},
      {0, {0x00123456, 0x00ABCDEF, 0x00FFFFFF, 0x00000000}},
  };
  for (const Case& c : cases) EXPECT_EQ(zglFadeTexels(in, c.alpha), c.out) << int{c.alpha};
  EXPECT_TRUE(zglFadeTexels({}, 100).empty());
}

TEST(EngineFade, ATextureKeepsAFewFadedCopiesFirstComeFirstKept) {
  ZglFadeSlots slots;
  bool created = false;
  EXPECT_EQ(slots.Find(155, created), 0);
  EXPECT_TRUE(created);
  EXPECT_EQ(slots.Find(155, created), 0);
  EXPECT_FALSE(created) << "the dimmed copy is made once";
  for (uint8_t a = 1; slots.Count() < ZglFadeSlots::kMax; a++) slots.Find(a, created);
  EXPECT_EQ(slots.Find(200, created), -1) << "a fade through many alphas does not make a copy of each";
  EXPECT_FALSE(created);
  EXPECT_EQ(slots.Find(155, created), 0);
}
