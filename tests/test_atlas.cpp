// Checks of the GUI atlas data/panel_r.png: every sprite the program cuts from
// it must be where the code expects it and hold a picture of the right kind,
// and nothing may be drawn outside the cut rectangles.
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kAtlasW = 1024;
constexpr int kAtlasH = 512;
// A pixel counts as drawn from this alpha on; antialiased fringes below it do not.
constexpr int kOpaque = 128;

struct Rgba {
  int r, g, b, a;
};

class Atlas {
 public:
  explicit Atlas(const char* path) {
    SDL_Surface* raw = IMG_Load(path);
    if (raw == nullptr) {
      error_ = IMG_GetError();
      return;
    }
    hasAlpha_ = SDL_ISPIXELFORMAT_ALPHA(raw->format->format) || raw->format->Amask != 0;
    w_ = raw->w;
    h_ = raw->h;
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(raw);
    if (rgba == nullptr) {
      error_ = SDL_GetError();
      return;
    }
    px_.resize(static_cast<size_t>(w_) * h_);
    SDL_LockSurface(rgba);
    for (int y = 0; y < h_; ++y) {
      const auto* row = static_cast<const Uint8*>(rgba->pixels) + y * rgba->pitch;
      for (int x = 0; x < w_; ++x)
        px_[static_cast<size_t>(y) * w_ + x] = {row[4 * x], row[4 * x + 1], row[4 * x + 2], row[4 * x + 3]};
    }
    SDL_UnlockSurface(rgba);
    SDL_FreeSurface(rgba);
  }

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  bool hasAlpha() const { return hasAlpha_; }
  int w() const { return w_; }
  int h() const { return h_; }
  const Rgba& at(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }

 private:
  std::string error_;
  bool hasAlpha_ = false;
  int w_ = 0, h_ = 0;
  std::vector<Rgba> px_;
};

const Atlas& atlas() {
  static const Atlas a("data/panel_r.png");
  return a;
}

double luma(const Rgba& p) { return 0.299 * p.r + 0.587 * p.g + 0.114 * p.b; }

struct Rect {
  int x, y, w, h;
};

// What the sprite stands for, which decides what its pixels must look like.
enum class Kind {
  Widget4,   // four looks: normal, highlight, active, disabled
  Icon,      // drawn over a button centre
  Panel,     // background picture
  Look,      // object sprite; frames black, white, mirror when three
};

// The body an object look is cut around, centred in its rectangle.
enum class Body { None, Rect, Circle };

struct Region {
  const char* name;
  Kind kind;
  int w, h;
  std::vector<std::pair<int, int>> frames;
  double minShare;  // least share of drawn pixels in every frame
  Body body = Body::None;
  double bodyW = 0, bodyH = 0;  // physical size; a circle's diameter in bodyW
};

std::vector<std::pair<int, int>> strip(int x0, int y0, int dx, int n) {
  std::vector<std::pair<int, int>> f;
  for (int i = 0; i < n; ++i) f.emplace_back(x0 + dx * i, y0);
  return f;
}

// Minimum shares: a round button is a disc of ~34 px in 64x64 (pi*17^2/4096 =
// 0.22), the wide one a 162x30 body in 180x52 (0.52), the big one a ~66 px
// disc in 128x128 (0.21); icons only need to show something. For object
// looks the share is implied by the body and checked separately below.
const std::vector<Region>& regions() {
  static const std::vector<Region> r = [] {
    std::vector<Region> v = {
        {"round button", Kind::Widget4, 64, 64, strip(0, 0, 64, 4), 0.15},
        {"wide button", Kind::Widget4, 180, 52, {{0, 107}, {0, 159}, {0, 211}, {0, 263}}, 0.40},
        {"big round button", Kind::Widget4, 128, 128, strip(0, 320, 128, 4), 0.15},
        {"small icons", Kind::Icon, 32, 32, strip(0, 64, 32, 8), 0.03},
        {"properties panel", Kind::Panel, 180, 242, {{256, 0}}, 0.60},
        {"play panel", Kind::Panel, 180, 50, {{256, 192}}, 0.60},
        {"check box", Kind::Icon, 22, 22, {{210, 120}, {210, 172}}, 0.40},
        {"rope mark", Kind::Icon, 32, 32, {{208, 272}}, 0.15},
        {"look 1", Kind::Look, 26, 70, strip(448, 0, 64, 3), 0, Body::Rect, 26, 70},
        {"look 2", Kind::Look, 26, 26, strip(448, 128, 64, 3), 0, Body::Rect, 26, 26},
        {"look 3", Kind::Look, 140, 10, {{448, 192}}, 0, Body::Rect, 140, 10},
        {"look 4", Kind::Look, 72, 72, strip(640, 0, 128, 3), 0, Body::Circle, 70, 70},
        {"look 5", Kind::Look, 34, 34, strip(640, 128, 64, 3), 0, Body::Circle, 32, 32},
        {"look 6", Kind::Look, 16, 16, {{408, 472}}, 0, Body::Circle, 16, 16},
        {"look 8", Kind::Look, 32, 52, {{528, 460}}, 0, Body::Circle, 30, 30},
        {"look 9", Kind::Look, 40, 23, {{588, 468}}, 0, Body::Rect, 40, 20},
        {"look 10", Kind::Look, 38, 64, {{512, 320}}, 0, Body::Rect, 18, 60},
        {"look 11", Kind::Look, 64, 64, {{704, 448}}, 0, Body::Rect, 30, 30},
        {"look 12", Kind::Look, 44, 44, {{778, 458}}, 0, Body::Circle, 38, 38},
    };
    v.push_back({"tool icons", Kind::Icon, 64, 64, strip(0, 448, 64, 16), 0.03});
    return v;
  }();
  return r;
}

double opaqueShare(const Rect& r) {
  int n = 0;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x) n += atlas().at(x, y).a >= kOpaque;
  return double(n) / (r.w * r.h);
}

// Mean per-channel difference of two equally sized rectangles, 0..255.
double meanDiff(const Rect& a, const Rect& b) {
  double sum = 0;
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x) {
      const Rgba& p = atlas().at(a.x + x, a.y + y);
      const Rgba& q = atlas().at(b.x + x, b.y + y);
      sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) + std::abs(p.a - q.a);
    }
  return sum / (4.0 * a.w * a.h);
}

// Mean colour of the drawn pixels, weighted by alpha.
Rgba meanColour(const Rect& r) {
  double w = 0, cr = 0, cg = 0, cb = 0;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x) {
      const Rgba& p = atlas().at(x, y);
      w += p.a;
      cr += p.r * p.a;
      cg += p.g * p.a;
      cb += p.b * p.a;
    }
  if (w == 0) return {0, 0, 0, 0};
  return {int(cr / w), int(cg / w), int(cb / w), 255};
}

// True when the pixel centre (x + 0.5, y + 0.5) of a w x h sprite lies inside
// its centred body, shrunk (margin > 0) or grown (margin < 0) by margin pixels.
bool inBody(const Region& g, int x, int y, double margin) {
  const double dx = x + 0.5 - g.w / 2.0, dy = y + 0.5 - g.h / 2.0;
  if (g.body == Body::Circle) {
    const double r = g.bodyW / 2 - margin;
    return dx * dx + dy * dy <= r * r;
  }
  return std::abs(dx) <= g.bodyW / 2 - margin && std::abs(dy) <= g.bodyH / 2 - margin;
}

class AtlasTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(atlas().ok()) << "cannot load data/panel_r.png: " << atlas().error(); }
};

TEST_F(AtlasTest, IsRgbaOfTheExpectedSize) {
  EXPECT_EQ(atlas().w(), kAtlasW);
  EXPECT_EQ(atlas().h(), kAtlasH);
  EXPECT_TRUE(atlas().hasAlpha());
  // Real transparency, not a colour key: the far corner lies in no region.
  EXPECT_EQ(atlas().at(kAtlasW - 1, 300).a, 0);
}

TEST_F(AtlasTest, EveryRegionHoldsAPicture) {
  for (const Region& g : regions()) {
    for (size_t i = 0; i < g.frames.size(); ++i) {
      const Rect r{g.frames[i].first, g.frames[i].second, g.w, g.h};
      ASSERT_LE(r.x + r.w, kAtlasW) << g.name;
      ASSERT_LE(r.y + r.h, kAtlasH) << g.name;
      if (g.kind == Kind::Look) continue;  // checked against its body below
      EXPECT_GE(opaqueShare(r), g.minShare) << g.name << " frame " << i << " at (" << r.x << "," << r.y << ")";
    }
  }
}

// A sprite stands in for a physical body, so the drawn part must match it:
// the body (less a 1.5 px antialiased rim) is covered, and what lies outside
// it stays mostly clear (the bomb's fuse and the post's spare width are
// allowed, hence a share rather than zero).
TEST_F(AtlasTest, ObjectLooksCoverTheirBody) {
  for (const Region& g : regions()) {
    if (g.kind != Kind::Look) continue;
    for (size_t i = 0; i < g.frames.size(); ++i) {
      int in = 0, inDrawn = 0, out = 0, outDrawn = 0;
      for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x) {
          const bool drawn = atlas().at(g.frames[i].first + x, g.frames[i].second + y).a >= kOpaque;
          if (inBody(g, x, y, 1.5)) {
            ++in;
            inDrawn += drawn;
          } else if (!inBody(g, x, y, -1.5)) {
            ++out;
            outDrawn += drawn;
          }
        }
      ASSERT_GT(in, 0) << g.name;
      EXPECT_GE(double(inDrawn) / in, 0.95) << g.name << " frame " << i << ": body not covered";
      if (out > 0) {
        EXPECT_LE(double(outDrawn) / out, 0.25) << g.name << " frame " << i << ": drawn beyond its body";
      }
    }
  }
}

TEST_F(AtlasTest, WidgetLooksDifferFromEachOther) {
  for (const Region& g : regions()) {
    if (g.kind != Kind::Widget4) continue;
    ASSERT_EQ(g.frames.size(), 4u) << g.name;
    for (size_t i = 0; i < 4; ++i)
      for (size_t j = i + 1; j < 4; ++j) {
        const Rect a{g.frames[i].first, g.frames[i].second, g.w, g.h};
        const Rect b{g.frames[j].first, g.frames[j].second, g.w, g.h};
        // 4 of 255 on average: a plain tint change across the whole face clears it.
        EXPECT_GT(meanDiff(a, b), 4.0) << g.name << " frames " << i << " and " << j << " look alike";
      }
  }
}

// Near-black captions (0x050505) are drawn centred on the wide and big buttons
// in every state, and the properties panel prints numbers centred at x + 18
// of its centre (90, 121) on the rows at y - 93, - 3 and + 43. The patch under
// a caption must be light enough to read it.
TEST_F(AtlasTest, CaptionAreasAreLight) {
  struct Patch {
    const char* name;
    int cx, cy, w, h;
  };
  std::vector<Patch> patches;
  for (int i = 0; i < 4; ++i) {
    patches.push_back({"wide button", 90, 107 + 52 * i + 26, 60, 10});
    patches.push_back({"big round button", 128 * i + 64, 320 + 64, 24, 12});
  }
  for (int dy : {-93, -3, 43}) patches.push_back({"properties number", 256 + 90 + 18, 121 + dy, 24, 10});
  for (const Patch& p : patches) {
    const Rect r{p.cx - p.w / 2, p.cy - p.h / 2, p.w, p.h};
    EXPECT_GE(opaqueShare(r), 0.99) << p.name << " at (" << p.cx << "," << p.cy << ")";
    // 140 of 255 keeps better than 5:1 contrast against 0x050505.
    EXPECT_GE(luma(meanColour(r)), 140.0) << p.name << " at (" << p.cx << "," << p.cy << ")";
  }
}

TEST_F(AtlasTest, BlackWhiteAndMirrorFramesReadApart) {
  for (const Region& g : regions()) {
    if (g.kind != Kind::Look || g.frames.size() != 3) continue;
    const Rect black{g.frames[0].first, g.frames[0].second, g.w, g.h};
    const Rect white{g.frames[1].first, g.frames[1].second, g.w, g.h};
    const Rect mirror{g.frames[2].first, g.frames[2].second, g.w, g.h};
    const double lb = luma(meanColour(black)), lw = luma(meanColour(white));
    EXPECT_LT(lb, 90.0) << g.name << " black frame is not dark";
    EXPECT_GT(lw, 180.0) << g.name << " white frame is not light";
    // The mirror is silvery with a cool tint: blue above red, and neither dark
    // like black nor as flat as white.
    const Rgba m = meanColour(mirror);
    EXPECT_GT(m.b, m.r + 8) << g.name << " mirror has no cool tint";
    EXPECT_GT(luma(m), lb + 60) << g.name << " mirror as dark as black";
    EXPECT_GT(meanDiff(mirror, white), 6.0) << g.name << " mirror looks like white";
  }
}

// The laser box fires out of its right side, so its lens, the reddest part,
// sits in the right quarter of the sprite.
TEST_F(AtlasTest, LaserBoxLensFacesRight) {
  const Rect box{588, 468, 40, 23};
  int bestX = -1, best = -1;
  for (int y = 0; y < box.h; ++y)
    for (int x = 0; x < box.w; ++x) {
      const Rgba& p = atlas().at(box.x + x, box.y + y);
      const int redness = p.a >= kOpaque ? p.r - (p.g + p.b) / 2 : -1;
      if (redness > best) {
        best = redness;
        bestX = x;
      }
    }
  EXPECT_GT(best, 100) << "no red lens";
  EXPECT_GE(bestX, box.w * 3 / 4);
}

// The play panel reuses the properties panel's bottom rows, so those rows must
// be a whole picture: its outer rows and columns are not cut through a body.
TEST_F(AtlasTest, PlayPanelStandsOnItsOwn) {
  const Rect tray{256, 192, 180, 50};
  EXPECT_LT(opaqueShare({tray.x, tray.y, tray.w, 1}), 0.2) << "top edge cut through";
  EXPECT_LT(opaqueShare({tray.x, tray.y + tray.h - 1, tray.w, 1}), 0.2) << "bottom edge cut through";
  EXPECT_LT(opaqueShare({tray.x, tray.y, 1, tray.h}), 0.2) << "left edge cut through";
  EXPECT_LT(opaqueShare({tray.x + tray.w - 1, tray.y, 1, tray.h}), 0.2) << "right edge cut through";
}

// Sprites are cut by their rectangles: anything drawn outside all of them is
// either lost or, worse, bleeds into a neighbour's frame after an edit.
TEST_F(AtlasTest, NothingOutsideTheRegions) {
  std::vector<char> covered(size_t(kAtlasW) * kAtlasH, 0);
  for (const Region& g : regions())
    for (const auto& f : g.frames)
      for (int y = f.second; y < f.second + g.h; ++y)
        for (int x = f.first; x < f.first + g.w; ++x) covered[size_t(y) * kAtlasW + x] = 1;
  int stray = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < kAtlasH; ++y)
    for (int x = 0; x < kAtlasW; ++x)
      if (!covered[size_t(y) * kAtlasW + x] && atlas().at(x, y).a != 0) {
        if (stray++ == 0) {
          firstX = x;
          firstY = y;
        }
      }
  EXPECT_EQ(stray, 0) << "first stray pixel at (" << firstX << "," << firstY << ")";
}

}  // namespace
