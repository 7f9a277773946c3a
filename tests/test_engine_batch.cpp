#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "engine/zgl_batch.h"
#include "engine/zgl_collide.h"
#include "engine/zgl_path.h"
#include "shell/uZenGL.h"

namespace {

struct Batch {
  void* texture;
  bool blend;
  std::vector<SDL_Vertex> vertices;
  std::vector<int> indices;
};

class EngineBatch : public ::testing::Test {
 protected:
  std::vector<Batch> batches;
  ZglBatcher batch{[this](void* t, bool blend, const SDL_Vertex* v, int nv, const int* idx, int ni) {
    batches.push_back({t, blend, std::vector<SDL_Vertex>(v, v + nv), std::vector<int>(idx, idx + ni)});
  }};
  int texA = 0, texB = 0;  // stand-in texture handles: only their addresses matter

  void SpriteOf(void* t) { batch.Sprite(t, 64, 32, 0, 0, 10, 10, 0, nullptr, 0xFFFFFF, 255, true); }
};

void ExpectAt(const SDL_Vertex& v, float x, float y) {
  EXPECT_NEAR(v.position.x, x, 1e-3);
  EXPECT_NEAR(v.position.y, y, 1e-3);
}

}  // namespace

TEST_F(EngineBatch, SameTextureSpritesGoOutInOneBatch) {
  for (int i = 0; i < 200; i++) SpriteOf(&texA);
  EXPECT_TRUE(batches.empty()) << "nothing is drawn before the flush";
  batch.Flush();
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(batches[0].texture, &texA);
  EXPECT_EQ(batches[0].vertices.size(), 800u);  // 4 corners a sprite
  EXPECT_EQ(batches[0].indices.size(), 1200u);  // 2 triangles a sprite
  batch.Flush();
  EXPECT_EQ(batches.size(), 1u) << "an empty flush draws nothing";
}

TEST_F(EngineBatch, TextureOrStateChangeStartsANewBatchInDrawingOrder) {
  SpriteOf(&texA);
  SpriteOf(&texA);
  SpriteOf(&texB);
  batch.Circle(5, 5, 3, 0xFF0000, 255, 8, true);
  batch.Line(0, 0, 5, 5, 0xFF0000, 255, false);
  SpriteOf(&texA);
  batch.Sprite(&texA, 64, 32, 0, 0, 10, 10, 0, nullptr, 0xFFFFFF, 255, false);  // unblended
  batch.Flush();
  ASSERT_EQ(batches.size(), 5u);
  void* expected[] = {&texA, &texB, nullptr, &texA, &texA};
  for (size_t i = 0; i < 5; i++) EXPECT_EQ(batches[i].texture, expected[i]) << i;
  EXPECT_EQ(batches[0].vertices.size(), 8u);
  EXPECT_EQ(batches[2].vertices.size(), 9u + 4u) << "circle and line share the untextured batch";
  EXPECT_TRUE(batches[3].blend);
  EXPECT_FALSE(batches[4].blend);
}

// The editor's grid: 18 x 20 outlined circles every frame must be one draw call.
TEST_F(EngineBatch, EditorGridOfCirclesIsOneBatch) {
  for (int i = 0; i < 18; i++)
    for (int j = 0; j < 20; j++) batch.Circle(214 + 35.0f * i, 34 + 35.0f * j, 2, 0x808080, 255, 8, false);
  batch.Flush();
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(batches[0].vertices.size(), 360u * 16u);
}

TEST_F(EngineBatch, LargeBatchesAreSplitBelowTheVertexLimit) {
  size_t sprites = ZglBatcher::kMaxVertices / 4 + 10;
  for (size_t i = 0; i < sprites; i++) SpriteOf(&texA);
  batch.Flush();
  ASSERT_EQ(batches.size(), 2u);
  size_t total = 0;
  for (const Batch& b : batches) {
    EXPECT_LE(b.vertices.size(), ZglBatcher::kMaxVertices);
    for (int idx : b.indices) ASSERT_LT(static_cast<size_t>(idx), b.vertices.size());
    total += b.vertices.size();
  }
  EXPECT_EQ(total, sprites * 4);
}

// A 40 x 20 sprite at (10, 20) has its centre at (30, 30). Turned 90 degrees
// clockwise on screen (y down), right becomes down and up becomes right: the
// top-left corner, 20 left and 10 up of the centre, goes to 20 up and 10 right
// of it, (40, 10); likewise TR -> (40, 50), BR -> (20, 50), BL -> (20, 10).
// The texture coordinates stay with their corners: the cut (16, 0, 32, 16) of
// a 64 x 32 texture spans u 0.25..0.75, v 0..0.5.
TEST_F(EngineBatch, RotatedSpriteCornersTurnClockwise) {
  zglTRect cutRect{16, 0, 32, 16};
  ZglRect cut{cutRect.X, cutRect.Y, cutRect.W, cutRect.H};
  batch.Sprite(&texA, 64, 32, 10, 20, 40, 20, 90, &cut, 0xFFFFFF, 128, true);
  const auto& v = batch.Vertices();
  ASSERT_EQ(v.size(), 4u);
  ExpectAt(v[0], 40, 10);
  ExpectAt(v[1], 40, 50);
  ExpectAt(v[2], 20, 50);
  ExpectAt(v[3], 20, 10);
  const float uv[4][2] = {{0.25f, 0}, {0.75f, 0}, {0.75f, 0.5f}, {0.25f, 0.5f}};
  for (int i = 0; i < 4; i++) {
    EXPECT_FLOAT_EQ(v[i].tex_coord.x, uv[i][0]) << i;
    EXPECT_FLOAT_EQ(v[i].tex_coord.y, uv[i][1]) << i;
    EXPECT_EQ(v[i].color.a, 128);
  }
}

TEST_F(EngineBatch, UnturnedSpriteFillsItsRectangleWithTheWholeTexture) {
  batch.Sprite(&texA, 64, 32, 10, 20, 40, 20, 0, nullptr, 0xFFFFFF, 255, true);
  const auto& v = batch.Vertices();
  ASSERT_EQ(v.size(), 4u);
  ExpectAt(v[0], 10, 20);
  ExpectAt(v[2], 50, 40);
  EXPECT_FLOAT_EQ(v[2].tex_coord.x, 1);
  EXPECT_FLOAT_EQ(v[2].tex_coord.y, 1);
}

TEST_F(EngineBatch, NothingToDrawAddsNothing) {
  batch.Sprite(nullptr, 64, 32, 0, 0, 10, 10, 0, nullptr, 0xFFFFFF, 255, true);  // failed texture load
  batch.Line(5, 5, 5, 5, 0xFFFFFF, 255, false);                                   // no length
  batch.Line(5, 5, 5, 5, 0xFFFFFF, 255, true);
  batch.Circle(5, 5, 0, 0xFFFFFF, 255, 8, true);  // no radius
  batch.Rect(5, 5, 0, 10, 0xFFFFFF, 255, true);   // no width
  batch.Flush();
  EXPECT_TRUE(batches.empty());
}

// A fan is the centre plus one rim vertex per segment and one triangle per
// segment; a ring has an outer and an inner vertex per segment and two
// triangles per segment. Fewer than 3 segments is no circle: 3 are drawn.
TEST_F(EngineBatch, CircleVertexCountsFollowQuality) {
  struct Case {
    uint16_t quality;
    bool fill;
    size_t vertices, indices;
  } cases[] = {{3, true, 4, 9},     {8, true, 9, 24},    {32, true, 33, 96}, {0, true, 4, 9},
               {3, false, 6, 18},   {8, false, 16, 48},  {32, false, 64, 192}, {1, false, 6, 18}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "quality " << c.quality << (c.fill ? " filled" : " outline"));
    batch.Discard();
    batch.Circle(100, 50, 10, 0x00FF00, 200, c.quality, c.fill);
    const auto& v = batch.Vertices();
    ASSERT_EQ(v.size(), c.vertices);
    EXPECT_EQ(batch.Indices().size(), c.indices);
    for (int idx : batch.Indices()) ASSERT_LT(static_cast<size_t>(idx), v.size());
    for (size_t i = c.fill ? 1 : 0; i < v.size(); i++) {
      float r = std::hypot(v[i].position.x - 100, v[i].position.y - 50);
      // Rim at the radius when filled; outline within half a pixel of it.
      EXPECT_NEAR(r, 10, c.fill ? 1e-3 : 0.5 + 1e-3);
    }
    if (c.fill) ExpectAt(v[0], 100, 50);
  }
}

// A plain line is a quad 1 px across; a smoothed one has a 1 px core and a
// feather on each side reaching 1.5 px from the axis with alpha 0.
TEST_F(EngineBatch, LinesHaveTheirWidthAndFeather) {
  batch.Line(10, 20, 110, 20, 0x0000FF, 200, false);
  auto v = batch.Vertices();
  ASSERT_EQ(v.size(), 4u);
  float minY = 1e9f, maxY = -1e9f;
  for (const auto& p : v) {
    minY = std::min(minY, p.position.y);
    maxY = std::max(maxY, p.position.y);
    EXPECT_EQ(p.color.a, 200);
    EXPECT_EQ(p.color.b, 255);
  }
  EXPECT_FLOAT_EQ(maxY - minY, 1);

  batch.Discard();
  batch.Line(10, 20, 110, 20, 0x0000FF, 200, true);
  v = batch.Vertices();
  ASSERT_EQ(v.size(), 8u);
  EXPECT_EQ(batch.Indices().size(), 18u);
  for (const auto& p : v) {
    float off = std::fabs(p.position.y - 20);
    if (off > 1) {
      EXPECT_FLOAT_EQ(off, 1.5f);
      EXPECT_EQ(p.color.a, 0);
    } else {
      EXPECT_FLOAT_EQ(off, 0.5f);
      EXPECT_EQ(p.color.a, 200);
    }
  }
}

// The outline is four 1 px bands on the rectangle's inner edge; together they
// cover 2 * 100 + 2 * 48 = 296 square pixels of the 100 x 50 rectangle.
TEST_F(EngineBatch, RectOutlineIsFourBandsInside) {
  batch.Rect(10, 20, 100, 50, 0xFFFFFF, 255, false);
  const auto& v = batch.Vertices();
  ASSERT_EQ(v.size(), 16u);
  float area = 0;
  for (size_t q = 0; q < 4; q++) {
    const auto& a = v[4 * q].position;
    const auto& c = v[4 * q + 2].position;
    area += (c.x - a.x) * (c.y - a.y);
    for (size_t k = 0; k < 4; k++) {
      const auto& p = v[4 * q + k].position;
      EXPECT_TRUE(p.x >= 10 && p.x <= 110 && p.y >= 20 && p.y <= 70);
    }
  }
  EXPECT_FLOAT_EQ(area, 296);

  batch.Discard();
  batch.Rect(10, 20, 100, 50, 0x505050, 255, true);
  ASSERT_EQ(batch.Vertices().size(), 4u);
  EXPECT_EQ(batch.Vertices()[0].color.r, 0x50);
}

// With a solid sink, large opaque fills leave the batch (after what was drawn
// before them); translucent, small or outlined rectangles stay in it.
TEST(EngineBatchSolid, LargeOpaqueFillsGoToTheSolidSinkInOrder) {
  std::vector<std::string> order;
  std::vector<SDL_FRect> solids;
  ZglBatcher batch(
      [&](void*, bool, const SDL_Vertex*, int nv, const int*, int) { order.push_back("batch " + std::to_string(nv)); },
      [&](const SDL_FRect& r, SDL_Color c) {
        order.push_back("solid " + std::to_string(c.r));
        solids.push_back(r);
      });
  struct Case {
    float w, h;
    uint8_t alpha;
    bool fill;
    bool solid;
  } cases[] = {
      {1024, 768, 255, true, true},   // the editor's background
      {64, 64, 255, true, true},      // exactly the threshold area
      {64, 63, 255, true, false},     // just under it
      {1024, 768, 208, true, false},  // the menus' translucent shade
      {1024, 768, 255, false, false}, // an outline
  };
  for (const Case& c : cases) {
    order.clear();
    solids.clear();
    batch.Circle(5, 5, 3, 0xFFFFFF, 255, 8, true);  // 9 vertices pending before the rectangle
    batch.Rect(10, 20, c.w, c.h, 0x505050, c.alpha, c.fill);
    batch.Flush();
    std::vector<std::string> expected =
        c.solid ? std::vector<std::string>{"batch 9", "solid 80"}
                : std::vector<std::string>{"batch " + std::to_string(c.fill ? 13 : 25)};
    EXPECT_EQ(order, expected) << c.w << "x" << c.h << " alpha " << int{c.alpha};
    if (c.solid) {
      ASSERT_EQ(solids.size(), 1u);
      EXPECT_EQ(solids[0].x, 10);
      EXPECT_EQ(solids[0].y, 20);
      EXPECT_EQ(solids[0].w, c.w);
      EXPECT_EQ(solids[0].h, c.h);
    }
  }
}

TEST(EngineColor, SplitsRgbAndAlpha) {
  SDL_Color c = zglColor(0x123456, 200);
  EXPECT_EQ(c.r, 0x12);
  EXPECT_EQ(c.g, 0x34);
  EXPECT_EQ(c.b, 0x56);
  EXPECT_EQ(c.a, 200);
}

TEST(EnginePath, BackslashesBecomeSeparators) {
  EXPECT_EQ(zglMapPath("data\\level\\1001.map"), "data/level/1001.map");
  EXPECT_EQ(zglMapPath("data\\panel_r.png"), "data/panel_r.png");
  EXPECT_EQ(zglMapPath("data/font_1.zfi"), "data/font_1.zfi");
  EXPECT_EQ(zglMapPath(nullptr), "");
}

// The engine's records restate the game's; the library hands one for the other.
static_assert(sizeof(ZglRect) == sizeof(zglTRect) && offsetof(ZglRect, H) == offsetof(zglTRect, H));
static_assert(sizeof(ZglCircle) == sizeof(zglTCircle) && offsetof(ZglCircle, Radius) == offsetof(zglTCircle, Radius));

// Edges and corners count as inside.
TEST(EngineCollide, PointTestsAreInclusive) {
  ZglRect r{10, 20, 30, 40};
  struct {
    float x, y;
    bool in;
  } rectCases[] = {{10, 20, true}, {40, 60, true}, {25, 40, true}, {9.99f, 30, false}, {25, 60.01f, false}};
  for (auto c : rectCases) EXPECT_EQ(zglPointInRect(c.x, c.y, &r), c.in) << c.x << "," << c.y;
  ZglCircle circle{100, 100, 5};
  struct {
    float x, y;
    bool in;
  } circleCases[] = {{100, 100, true}, {105, 100, true}, {103, 104, true}, {104, 104, false}, {100, 105.1f, false}};
  for (auto c : circleCases) EXPECT_EQ(zglPointInCircle(c.x, c.y, &circle), c.in) << c.x << "," << c.y;
  EXPECT_FALSE(zglPointInRect(0, 0, nullptr));
  EXPECT_FALSE(zglPointInCircle(0, 0, nullptr));
}
