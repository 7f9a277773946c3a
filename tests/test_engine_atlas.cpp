// The pure pieces of the picture atlas: angles, picture sizes, the turned
// sprite's and the circle's pictures, the packing and the cache of places.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <vector>

#include "engine/zgl_atlas.h"

namespace {

// A texture whose every texel is distinct: opaque, colour from its position.
std::vector<uint32_t> Numbered(int w, int h) {
  std::vector<uint32_t> t(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) t[static_cast<size_t>(y) * w + x] = 0xFF000000u | (y << 8) | x;
  return t;
}

struct Picture {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};

Picture Turn(const std::vector<uint32_t>& tex, int texW, int texH, ZglRect cut, float w, float h, int angle,
             uint8_t alpha = 255) {
  Picture p;
  zglTurnedSize(w, h, angle, p.w, p.h);
  p.px.assign(static_cast<size_t>(p.w) * p.h, 0xDEADBEEF);
  zglTurnTexels(tex.data(), texW, texH, cut, w, h, angle, alpha, p.w, p.h, p.px.data());
  return p;
}

}  // namespace

TEST(EngineAtlas, AnglesRoundToWholeDegreesInOneTurn) {
  struct Case {
    float in;
    int out;
  } cases[] = {{0, 0},        {0.49f, 0}, {0.5f, 1},   {-0.4f, 0},  {-1, 359},  {359.4f, 359},
               {359.6f, 0},   {360, 0},   {720.2f, 0}, {-721, 359}, {45, 45},   {1e9f, 280},
               {std::numeric_limits<float>::quiet_NaN(), 0}, {std::numeric_limits<float>::infinity(), 0}};
  for (const Case& c : cases) EXPECT_EQ(zglTurnAngle(c.in), c.out) << c.in;
}

TEST(EngineAtlas, SizeIsTheBoundingBoxWithAPixelEachSideWhenTurned) {
  struct Case {
    float w, h;
    int angle, outW, outH;
  } cases[] = {{40, 20, 0, 40, 20},   {26.5f, 9.2f, 0, 27, 10}, {40, 20, 90, 22, 42},
               {40, 20, 180, 42, 22}, {40, 20, 270, 22, 42},    {10, 10, 45, 17, 17},
               {26, 70, 30, 60, 76},  {100, 1, 1, 103, 5}};
  for (const Case& c : cases) {
    int w, h;
    zglTurnedSize(c.w, c.h, c.angle, w, h);
    EXPECT_EQ(w, c.outW) << c.w << "x" << c.h << " at " << c.angle;
    EXPECT_EQ(h, c.outH) << c.w << "x" << c.h << " at " << c.angle;
  }
}

// An unturned, unscaled picture is its region as it stands.
TEST(EngineAtlas, UnturnedPictureIsTheRegionItself) {
  std::vector<uint32_t> tex = Numbered(10, 6);
  ZglRect cut{3, 1, 5, 4};
  Picture p = Turn(tex, 10, 6, cut, 5, 4, 0);
  ASSERT_EQ(p.w, 5);
  ASSERT_EQ(p.h, 4);
  for (int y = 0; y < 4; y++)
    for (int x = 0; x < 5; x++) EXPECT_EQ(p.At(x, y), tex[static_cast<size_t>(y + 1) * 10 + x + 3]) << x << "," << y;
}

// Quarter and half turns land every texel on exactly one pixel, clockwise on
// screen (y down): the texture's top row becomes the right-hand column.
TEST(EngineAtlas, QuarterAndHalfTurnsMoveEachTexelToItsPixel) {
  const int tw = 4, th = 2;
  std::vector<uint32_t> tex = Numbered(tw, th);
  ZglRect all{0, 0, tw, th};
  struct Case {
    int angle;
    // Where texel (x, y) goes in the picture, margin included.
    int (*px)(int x, int y);
    int (*py)(int x, int y);
  } cases[] = {
      {90, [](int, int y) { return 2 - y; }, [](int x, int) { return x + 1; }},
      {180, [](int x, int) { return 4 - x; }, [](int, int y) { return 2 - y; }},
      {270, [](int, int y) { return y + 1; }, [](int x, int) { return 4 - x; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    Picture p = Turn(tex, tw, th, all, tw, th, c.angle);
    std::set<std::pair<int, int>> hit;
    for (int y = 0; y < th; y++)
      for (int x = 0; x < tw; x++) {
        EXPECT_EQ(p.At(c.px(x, y), c.py(x, y)), tex[static_cast<size_t>(y) * tw + x]) << x << "," << y;
        hit.insert({c.px(x, y), c.py(x, y)});
      }
    for (int y = 0; y < p.h; y++)
      for (int x = 0; x < p.w; x++)
        if (!hit.count({x, y})) {
          EXPECT_EQ(p.At(x, y), 0u) << "not transparent at " << x << "," << y;
        }
  }
}

// However turned and scaled, a picture takes texels of its own region only,
// and covers about the area of the turned rectangle.
TEST(EngineAtlas, PicturesSampleOnlyTheirRegionAndCoverTheTurnedArea) {
  const int tw = 16, th = 8;
  std::vector<uint32_t> tex = Numbered(tw, th);
  ZglRect cut{8, 2, 8, 4};  // the right half, rows 2..5
  for (int angle : {1, 17, 45, 90, 133, 200, 359}) {
    for (float scale : {1.0f, 2.5f, 0.5f}) {
      SCOPED_TRACE(testing::Message() << angle << " degrees, scale " << scale);
      float w = cut.W * scale * 3, h = cut.H * scale * 3;
      Picture p = Turn(tex, tw, th, cut, w, h, angle);
      int covered = 0;
      for (uint32_t v : p.px) {
        ASSERT_NE(v, 0xDEADBEEFu) << "pixel left unwritten";
        if (v == 0) continue;
        covered++;
        int x = v & 0xFF, y = (v >> 8) & 0xFF;
        EXPECT_TRUE(x >= 8 && x < 16 && y >= 2 && y < 6) << "texel " << x << "," << y << " is outside the region";
      }
      float area = w * h, perimeter = 2 * (w + h);
      EXPECT_NEAR(covered, area, perimeter);
    }
  }
}

TEST(EngineAtlas, AlphaScalesAsTheRendererModulates) {
  std::vector<uint32_t> tex = {0xFF123456, 0x80ABCDEF, 0x00FFFFFF, 0xC0000000};
  Picture p = Turn(tex, 2, 2, ZglRect{0, 0, 2, 2}, 2, 2, 180, 100);
  // Half a turn: texel (x, y) at pixel (2 - x, 2 - y).
  EXPECT_EQ(p.At(2, 2), (0xFFu * 100 / 255) << 24 | 0x123456);
  EXPECT_EQ(p.At(1, 2), (0x80u * 100 / 255) << 24 | 0xABCDEF);
  EXPECT_EQ(p.At(2, 1), 0x00FFFFFFu);
  EXPECT_EQ(p.At(1, 1), (0xC0u * 100 / 255) << 24);
}

// A circle's picture covers exactly its runs' pixels, in its colour and alpha.
TEST(EngineAtlas, CirclePictureIsItsRunsInItsColour) {
  struct Case {
    float radius;
    int quality;
    bool fill;
  } cases[] = {{3, 32, false}, {4, 32, false}, {7.5f, 18, true}, {16, 32, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "radius " << c.radius);
    std::vector<ZglCircleCache::Span> spans = ZglCircleCache::Rasterise(c.radius, c.quality, c.fill);
    std::set<std::pair<int, int>> runs;
    for (const ZglCircleCache::Span& r : spans)
      for (int x = r.DX; x < r.DX + r.W; x++) runs.insert({x, r.DY});
    int x0, y0, w, h;
    zglCircleBounds(spans, x0, y0, w, h);
    ASSERT_GT(w, 0);
    ASSERT_GT(h, 0);
    std::vector<uint32_t> px(static_cast<size_t>(w) * h, 0xDEADBEEF);
    zglCircleTexels(spans, 0xAB12CD, 200, x0, y0, w, h, px.data());
    bool touches[4] = {};  // every side of the box has a covered pixel: the box is tight
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) {
        bool in = runs.count({x0 + x, y0 + y}) != 0;
        EXPECT_EQ(px[static_cast<size_t>(y) * w + x], in ? 0xC8AB12CDu : 0u) << x0 + x << "," << y0 + y;
        if (in) {
          touches[0] |= x == 0;
          touches[1] |= x == w - 1;
          touches[2] |= y == 0;
          touches[3] |= y == h - 1;
        }
      }
    for (bool t : touches) EXPECT_TRUE(t);
    for (auto [x, y] : runs) EXPECT_TRUE(x >= x0 && x < x0 + w && y >= y0 && y < y0 + h) << "run outside the box";
  }
  int x0, y0, w, h;
  zglCircleBounds({}, x0, y0, w, h);
  EXPECT_EQ(w * h, 0);
}

TEST(EngineAtlas, ShelvesFillRowByRowUntilThereIsNoRoom) {
  ZglShelfPacker packer(100, 50);
  struct Step {
    int w, h;
    bool fits;
    int x, y;
    const char* why;
  } steps[] = {
      {60, 20, true, 0, 0, "the first row"},
      {40, 10, true, 60, 0, "beside it"},
      {30, 25, true, 0, 20, "a new row below the tallest of the full one"},
      {80, 10, false, 0, 0, "a row below would end past 50 down"},
      {70, 5, true, 30, 20, "the current row still has 70 across"},
      {101, 1, false, 0, 0, "wider than the area"},
      {0, 5, false, 0, 0, "no width"},
  };
  for (const Step& s : steps) {
    int x = -1, y = -1;
    EXPECT_EQ(packer.Place(s.w, s.h, x, y), s.fits) << s.why;
    if (s.fits) {
      EXPECT_EQ(x, s.x) << s.why;
      EXPECT_EQ(y, s.y) << s.why;
    }
  }
  packer.Reset();
  int x, y;
  ASSERT_TRUE(packer.Place(100, 50, x, y)) << "a reset empties the whole area";
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

TEST(EngineAtlas, CacheTellsKeysApartAndForgetsThemOnReset) {
  int texA = 0, texB = 0;
  const ZglSpriteKey base{&texA, ZglRect{0, 0, 10, 10}, 20, 20, 30, 255};
  ZglPictureCache cache;
  const ZglPictureCache::Slot* first = cache.Add(base, 30, 30);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(cache.Find(base), first);

  // Each field on its own makes another picture.
  std::vector<ZglSpriteKey> others(8, base);
  others[0].Texture = &texB;
  others[1].Cut.X = 1;
  others[2].Cut.Y = 1;
  others[3].Cut.W = 9;
  others[4].Cut.H = 9;
  others[5].W = 21;
  others[6].Angle = 31;
  others[7].Alpha = 254;
  ZglSpriteKey h = base;
  h.H = 19;
  others.push_back(h);
  for (size_t i = 0; i < others.size(); i++) {
    EXPECT_EQ(cache.Find(others[i]), nullptr) << "key " << i;
    const ZglPictureCache::Slot* s = cache.Add(others[i], 30, 30);
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(s->X == first->X && s->Y == first->Y) << "key " << i << " shares the first place";
  }
  EXPECT_EQ(cache.Count(), others.size() + 1);
  // -0 and 0 are one key.
  ZglSpriteKey zero = base;
  zero.Cut.X = -0.0f;
  EXPECT_EQ(cache.Find(zero), first);

  // Circles are keys of their own, in the same atlas.
  const ZglCircleKey ring{6, 32, false, 0x112233, 255};
  EXPECT_EQ(cache.Find(ring), nullptr);
  const ZglPictureCache::Slot* ringSlot = cache.Add(ring, 8, 8);
  ASSERT_NE(ringSlot, nullptr);
  EXPECT_EQ(cache.Find(ring), ringSlot);
  std::vector<ZglCircleKey> otherRings(5, ring);
  otherRings[0].Radius2 = 7;
  otherRings[1].Quality = 31;
  otherRings[2].Fill = true;
  otherRings[3].Color = 0x112234;
  otherRings[4].Alpha = 254;
  for (size_t i = 0; i < otherRings.size(); i++) EXPECT_EQ(cache.Find(otherRings[i]), nullptr) << "ring " << i;

  EXPECT_EQ(cache.Add(base, ZglPictureCache::kMaxSide + 1, 10), nullptr);
  cache.Reset();
  EXPECT_EQ(cache.Find(ring), nullptr);
  EXPECT_EQ(cache.Count(), 0u);
  EXPECT_EQ(cache.Find(base), nullptr);
}

// Places never overlap, and the atlas takes pictures until it is full.
TEST(EngineAtlas, CacheFillsTheAtlasWithoutOverlapThenRefuses) {
  int tex = 0;
  ZglPictureCache cache;
  const int side = 300, perRow = ZglPictureCache::kAtlasSize / side;
  std::vector<ZglPictureCache::Slot> slots;
  for (int i = 0;; i++) {
    ZglSpriteKey k{&tex, ZglRect{0, 0, 1, 1}, 1, 1, 1 + i % 359, static_cast<uint8_t>(i / 359)};
    const ZglPictureCache::Slot* s = cache.Add(k, side, side);
    if (!s) break;
    ASSERT_LE(s->X + s->W, ZglPictureCache::kAtlasSize);
    ASSERT_LE(s->Y + s->H, ZglPictureCache::kAtlasSize);
    for (const ZglPictureCache::Slot& o : slots)
      ASSERT_TRUE(s->X + s->W <= o.X || o.X + o.W <= s->X || s->Y + s->H <= o.Y || o.Y + o.H <= s->Y);
    slots.push_back(*s);
  }
  EXPECT_EQ(static_cast<int>(slots.size()), perRow * perRow);
}
