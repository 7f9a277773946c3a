#include "zgl_atlas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "zgl_fade.h"

namespace {

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

// A float's bits, with -0 taken as 0 so that equal keys hash alike.
uint32_t Bits(float f) {
  f += 0.0f;
  uint32_t b;
  memcpy(&b, &f, sizeof b);
  return b;
}

// FNV-style mixing: enough to spread a few hundred keys.
void Mix(uint64_t& h, uint64_t v) { h = (h ^ v) * 0x100000001B3ull + (h >> 29); }

}  // namespace

bool ZglSpriteKey::operator==(const ZglSpriteKey& o) const {
  return Texture == o.Texture && Cut.X == o.Cut.X && Cut.Y == o.Cut.Y && Cut.W == o.Cut.W && Cut.H == o.Cut.H &&
         W == o.W && H == o.H && Angle == o.Angle && Alpha == o.Alpha;
}

size_t ZglSpriteKeyHash::operator()(const ZglSpriteKey& k) const {
  uint64_t h = reinterpret_cast<uintptr_t>(k.Texture);
  for (float f : {k.Cut.X, k.Cut.Y, k.Cut.W, k.Cut.H, k.W, k.H}) Mix(h, Bits(f));
  Mix(h, static_cast<uint64_t>(k.Angle) << 8 | k.Alpha);
  return static_cast<size_t>(h);
}

bool ZglCircleKey::operator==(const ZglCircleKey& o) const {
  return Radius2 == o.Radius2 && Quality == o.Quality && Fill == o.Fill && Color == o.Color && Alpha == o.Alpha;
}

size_t ZglCircleKeyHash::operator()(const ZglCircleKey& k) const {
  uint64_t h = static_cast<uint64_t>(k.Radius2) << 32 | static_cast<uint32_t>(k.Quality);
  Mix(h, static_cast<uint64_t>(k.Color) << 9 | static_cast<uint64_t>(k.Alpha) << 1 | (k.Fill ? 1 : 0));
  return static_cast<size_t>(h);
}

int zglTurnAngle(float AngleDeg) {
  if (!std::isfinite(AngleDeg)) return 0;
  double a = std::fmod(std::round(static_cast<double>(AngleDeg)), 360.0);
  if (a < 0) a += 360;
  return static_cast<int>(a) % 360;
}

void zglTurnedSize(float W, float H, int Angle, int& OutW, int& OutH) {
  double c = std::fabs(std::cos(Angle * kDegToRad)), s = std::fabs(std::sin(Angle * kDegToRad));
  // Less a hair, so cos 90 (6e-17, not 0) does not add a whole pixel.
  const int margin = Angle == 0 ? 0 : 2;
  OutW = static_cast<int>(std::ceil(W * c + H * s - 1e-6)) + margin;
  OutH = static_cast<int>(std::ceil(W * s + H * c - 1e-6)) + margin;
}

void zglTurnTexels(const uint32_t* Texels, int TexW, int TexH, const ZglRect& Cut, float W, float H, int Angle,
                   uint8_t Alpha, int OutW, int OutH, uint32_t* Out) {
  const double c = std::cos(Angle * kDegToRad), s = std::sin(Angle * kDegToRad);
  const double hw = W / 2.0, hh = H / 2.0;
  const double su = Cut.W / W, sv = Cut.H / H;
  // The texels the region may take, inside the texture.
  const int minX = std::max(0, static_cast<int>(std::floor(Cut.X)));
  const int minY = std::max(0, static_cast<int>(std::floor(Cut.Y)));
  const int maxX = std::min(TexW - 1, static_cast<int>(std::ceil(Cut.X + Cut.W)) - 1);
  const int maxY = std::min(TexH - 1, static_cast<int>(std::ceil(Cut.Y + Cut.H)) - 1);
  for (int j = 0; j < OutH; j++) {
    uint32_t* row = Out + static_cast<size_t>(j) * OutW;
    const double py = j + 0.5 - OutH / 2.0;
    for (int i = 0; i < OutW; i++) {
      const double px = i + 0.5 - OutW / 2.0;
      // Back from the screen to the unturned rectangle: the inverse of the
      // turn the sprite's corners take.
      const double dx = px * c + py * s, dy = -px * s + py * c;
      if (dx < -hw || dx >= hw || dy < -hh || dy >= hh || minX > maxX || minY > maxY) {
        row[i] = 0;
        continue;
      }
      int tx = static_cast<int>(std::floor(Cut.X + (dx + hw) * su));
      int ty = static_cast<int>(std::floor(Cut.Y + (dy + hh) * sv));
      tx = std::clamp(tx, minX, maxX);
      ty = std::clamp(ty, minY, maxY);
      row[i] = zglFadeTexel(Texels[static_cast<size_t>(ty) * TexW + tx], Alpha);
    }
  }
}

bool ZglShelfPacker::Place(int W, int H, int& X, int& Y) {
  if (W <= 0 || H <= 0 || W > w_ || H > h_) return false;
  int x = x_, y = rowY_, rowH = rowH_;
  if (x + W > w_) {
    // A new row below the current one; a refusal leaves the current one open.
    y += rowH;
    x = 0;
    rowH = 0;
  }
  if (y + H > h_) return false;
  X = x;
  Y = y;
  x_ = x + W;
  rowY_ = y;
  rowH_ = std::max(rowH, H);
  return true;
}

void zglCircleBounds(const std::vector<ZglCircleCache::Span>& Spans, int& X, int& Y, int& W, int& H) {
  X = Y = W = H = 0;
  if (Spans.empty()) return;
  int x0 = Spans[0].DX, y0 = Spans[0].DY, x1 = x0, y1 = y0;
  for (const ZglCircleCache::Span& r : Spans) {
    x0 = std::min(x0, r.DX);
    x1 = std::max(x1, r.DX + r.W);
    y0 = std::min(y0, r.DY);
    y1 = std::max(y1, r.DY + 1);
  }
  X = x0;
  Y = y0;
  W = x1 - x0;
  H = y1 - y0;
}

void zglCircleTexels(const std::vector<ZglCircleCache::Span>& Spans, uint32_t Color, uint8_t Alpha, int X, int Y,
                     int W, int H, uint32_t* Out) {
  std::fill_n(Out, static_cast<size_t>(W) * H, 0u);
  const uint32_t texel = uint32_t{Alpha} << 24 | (Color & 0xFFFFFF);
  for (const ZglCircleCache::Span& r : Spans) {
    const int row = r.DY - Y, from = std::max(r.DX - X, 0), to = std::min(r.DX + r.W - X, W);
    if (row < 0 || row >= H) continue;
    for (int x = from; x < to; x++) Out[static_cast<size_t>(row) * W + x] = texel;
  }
}

void ZglPictureCache::Reset() {
  sprites_.clear();
  circles_.clear();
  packer_.Reset();
}
