// Sprites and circles drawn by the real engine library into its offscreen
// target (SDL's software renderer), where they come from the engine's atlas of
// ready-made pictures: they must look as the renderer draws them itself, and
// stay right when a frame's pictures overflow the atlas.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <dlfcn.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "ScratchDir.h"
#include "fake/FakeEngine.h"
#include "shell/uZenGL.h"

namespace {

struct OffscreenApi {
  bool (*open)(uint16_t, uint16_t) = nullptr;
  bool (*render)() = nullptr;
  const void* (*pixels)() = nullptr;
  void (*close)() = nullptr;
};

std::function<void()> drawFrame;
void OnDraw() {
  if (drawFrame) drawFrame();
}

class EngineAtlasDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(BindEngine("ZenGL.dll", false));
    void* lib = dlopen(EngineLibraryPath("ZenGL.dll"), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(lib, nullptr);
    api_.open = reinterpret_cast<bool (*)(uint16_t, uint16_t)>(dlsym(lib, "zgl_OpenOffscreen"));
    api_.render = reinterpret_cast<bool (*)()>(dlsym(lib, "zgl_RenderOffscreen"));
    api_.pixels = reinterpret_cast<const void* (*)()>(dlsym(lib, "zgl_OffscreenPixels"));
    api_.close = reinterpret_cast<void (*)()>(dlsym(lib, "zgl_CloseOffscreen"));
    dlclose(lib);
    ASSERT_TRUE(api_.open && api_.render && api_.pixels && api_.close);
    zgl_Reg(SYS_DRAW, OnDraw);
  }
  void TearDown() override {
    drawFrame = nullptr;
    if (open_) api_.close();
    FakeEngine unbind;
  }

  bool Open(int w, int h) {
    open_ = api_.open(static_cast<uint16_t>(w), static_cast<uint16_t>(h));
    w_ = w;
    return open_;
  }
  // Saves W x H texels (0xAARRGGBB by position) as a PNG and loads it.
  zglPTexture Texture(int w, int h, const std::function<uint32_t(int, int)>& texel) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!s) return nullptr;
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) static_cast<uint32_t*>(s->pixels)[y * s->pitch / 4 + x] = texel(x, y);
    std::string path = std::string(dir_.Path()) + "/tex" + std::to_string(textures_++) + ".png";
    bool saved = IMG_SavePNG(s, path.c_str()) == 0;
    SDL_FreeSurface(s);
    return saved ? tex_LoadFromFile(path.c_str(), TEX_NO_COLORKEY, TEX_DEFAULT_2D) : nullptr;
  }
  void Render(std::function<void()> draw) {
    drawFrame = std::move(draw);
    ASSERT_TRUE(api_.render());
  }
  // The pixel's colour as 0xRRGGBB.
  uint32_t At(int x, int y) const {
    return static_cast<const uint32_t*>(api_.pixels())[static_cast<size_t>(y) * w_ + x] & 0xFFFFFF;
  }
  // Pixels of the Cell x Cell square at the left that differ from the one
  // beside it more than Reach pixels away from any edge or colour seam of
  // the right-hand picture.
  int AstrayPixels(int cell, int reach) const {
    int astray = 0;
    for (int y = reach; y < cell - reach; y++)
      for (int x = reach; x < cell - reach; x++) {
        uint32_t left = At(x, y), right = At(cell + x, y);
        if (left == right) continue;
        bool nearEdge = false;
        for (int dy = -reach; dy <= reach && !nearEdge; dy++)
          for (int dx = -reach; dx <= reach && !nearEdge; dx++) nearEdge = At(cell + x + dx, y + dy) != right;
        if (!nearEdge) astray++;
      }
    return astray;
  }

  OffscreenApi api_;
  bool open_ = false;
  int w_ = 0, textures_ = 0;
  ScratchDir dir_{"zgl-turn"};
};

// Four opaque quadrants, so a turn the wrong way or about the wrong point shows.
uint32_t Quadrant(int x, int y, int w, int h) {
  static const uint32_t colours[4] = {0xFFE02020, 0xFF20E020, 0xFF2020E0, 0xFFE0E020};
  return colours[(x >= w / 2 ? 1 : 0) + (y >= h / 2 ? 2 : 0)];
}

}  // namespace

// Drawn blended, a turned sprite comes from the atlas; drawn unblended, it is
// the renderer's own turned triangles. An opaque texture looks the same both
// ways, but for pixels along its edges and where its colours meet.
TEST_F(EngineAtlasDraw, AtlasPicturesMatchTheRenderersTurnedTriangles) {
  const int cell = 200;
  ASSERT_TRUE(Open(2 * cell, cell));
  zglPTexture tex = Texture(40, 20, [](int x, int y) { return Quadrant(x, y, 40, 20); });
  ASSERT_NE(tex, nullptr);
  const float w = 120, h = 60;
  for (float angle : {30.0f, 90.0f, 137.0f, 250.0f, -15.0f}) {
    SCOPED_TRACE(angle);
    Render([&] {
      csprite2d_Draw(tex, (cell - w) / 2, (cell - h) / 2, w, h, angle, nullptr, 255, FX_BLEND);
      csprite2d_Draw(tex, cell + (cell - w) / 2, (cell - h) / 2, w, h, angle, nullptr, 255, 0);
    });
    int covered = 0;
    for (int y = 0; y < cell; y++)
      for (int x = 0; x < cell; x++) covered += At(cell + x, y) != 0;
    EXPECT_NEAR(covered, w * h, 2 * (w + h));
    // The two samplers may disagree by half a texel (1.5 px at this scale)
    // and a pixel of rounding along an edge or where the colours meet.
    EXPECT_EQ(AstrayPixels(cell, 3), 0) << "pixels differ away from every edge";
  }
}

// Unturned, a scaled sprite's picture matches the renderer's scaled copy but
// for a pixel of rounding along its edges and seams; a small circle's picture
// is the very pixels of its runs, which it is drawn as when it follows lines.
TEST_F(EngineAtlasDraw, UnturnedSpritesAndCirclesLookAsTheRendererDrawsThem) {
  const int cell = 200;
  ASSERT_TRUE(Open(2 * cell, cell));
  zglPTexture tex = Texture(40, 20, [](int x, int y) { return Quadrant(x, y, 40, 20); });
  ASSERT_NE(tex, nullptr);
  Render([&] {
    csprite2d_Draw(tex, 30.5f, 40, 130, 50, 0, nullptr, 255, FX_BLEND);
    csprite2d_Draw(tex, cell + 30.5f, 40, 130, 50, 0, nullptr, 255, 0);
  });
  EXPECT_EQ(AstrayPixels(cell, 1), 0) << "pixels differ away from every edge";

  for (float radius : {3.0f, 4.0f, 7.5f, 16.0f})
    for (bool fill : {false, true}) {
      SCOPED_TRACE(testing::Message() << "radius " << radius << (fill ? " filled" : " outline"));
      uint32_t fx = fill ? PR2D_FILL : 0;
      Render([&] {
        pr2d_Line(0, 0, 10, 0, 0x000000, 255, 0);  // runs join the lines' batch
        pr2d_Circle(50, 100, radius, 0x30C0F0, 255, 32, fx);
        csprite2d_Draw(tex, 0, 190, 4, 4, 0, nullptr, 255, FX_BLEND);  // a picture joins the atlas's
        pr2d_Circle(cell + 50, 100, radius, 0x30C0F0, 255, 32, fx);
      });
      int covered = 0;
      for (int y = 75; y < 125; y++)
        for (int x = 25; x < 75; x++) {
          ASSERT_EQ(At(x, y), At(cell + x, y)) << x << "," << y;
          covered += At(x, y) == 0x30C0F0;
        }
      EXPECT_GT(covered, 0);
    }
}

TEST_F(EngineAtlasDraw, AlphaFadesTheAtlasPictureAsItFadesTheTexture) {
  ASSERT_TRUE(Open(200, 200));
  zglPTexture tex = Texture(8, 8, [](int, int) { return 0xFFC08040; });
  ASSERT_NE(tex, nullptr);
  for (uint8_t alpha : {255, 128, 20}) {
    Render([&] { csprite2d_Draw(tex, 50, 50, 100, 100, 33, nullptr, alpha, FX_BLEND); });
    uint32_t c = At(100, 100);
    // Over the black the frame is cleared to.
    auto expect = [alpha](uint32_t v) { return static_cast<double>(v * alpha / 255); };
    EXPECT_NEAR(c >> 16, expect(0xC0), 1) << int{alpha};
    EXPECT_NEAR((c >> 8) & 0xFF, expect(0x80), 1) << int{alpha};
    EXPECT_NEAR(c & 0xFF, expect(0x40), 1) << int{alpha};
  }
}

// More turned pictures in one frame than the atlas holds twice over: what was
// queued is drawn before the atlas is written over, and once the atlas has
// been started again in a frame the rest of it is drawn as triangles. Every
// sprite keeps its own colour, frame after frame.
TEST_F(EngineAtlasDraw, EverySpriteIsRightWhenAFrameOverflowsTheAtlas) {
  // 340 px squares at 45 degrees are 483 px pictures: 16 to the atlas.
  const int n = 6, cell = 490, side = 340, texCell = 4;
  ASSERT_TRUE(Open(n * cell, n * cell));
  auto colour = [](int k) {
    return 0xFF0000C8u | static_cast<uint32_t>(20 + 40 * (k % 6)) << 16 | static_cast<uint32_t>(20 + 40 * (k / 6)) << 8;
  };
  zglPTexture tex =
      Texture(n * texCell, n * texCell, [&](int x, int y) { return colour(y / texCell * n + x / texCell); });
  ASSERT_NE(tex, nullptr);
  for (int frame = 0; frame < 3; frame++) {
    SCOPED_TRACE(testing::Message() << "frame " << frame);
    Render([&] {
      for (int k = 0; k < n * n; k++) {
        zglTRect cut{static_cast<float>(k % n * texCell), static_cast<float>(k / n * texCell), texCell, texCell};
        float x = static_cast<float>(k % n * cell + (cell - side) / 2);
        float y = static_cast<float>(k / n * cell + (cell - side) / 2);
        csprite2d_Draw(tex, x, y, side, side, 45, &cut, 255, FX_BLEND);
      }
    });
    for (int k = 0; k < n * n; k++) {
      int cx = k % n * cell + cell / 2, cy = k / n * cell + cell / 2;
      // The centre and four points well inside the turned square.
      const int probes[5][2] = {{0, 0}, {120, 0}, {-120, 0}, {0, 120}, {0, -120}};
      for (const auto& p : probes)
        EXPECT_EQ(At(cx + p[0], cy + p[1]), colour(k) & 0xFFFFFF) << "sprite " << k << " at " << p[0] << "," << p[1];
    }
  }
}
