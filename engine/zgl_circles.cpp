#include "zgl_circles.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;

// Whether (px, py) lies inside the regular N-gon of circumradius R about the
// origin whose first corner is on +x: the polygon the triangle path draws.
bool InPolygon(float px, float py, float R, int n) {
  if (R <= 0) return false;
  float step = 2 * kPi / static_cast<float>(n);
  for (int i = 0; i < n; i++) {
    float ax = R * std::cos(step * i), ay = R * std::sin(step * i);
    float bx = R * std::cos(step * (i + 1)), by = R * std::sin(step * (i + 1));
    // Corners go round by increasing angle; inside is on the same side of every edge.
    if ((bx - ax) * (py - ay) - (by - ay) * (px - ax) < 0) return false;
  }
  return true;
}

}  // namespace

bool ZglCircleCache::Cacheable(float Radius) {
  if (!(Radius > 0) || Radius > kMaxRadius) return false;
  float twice = Radius * 2;
  return twice == std::floor(twice);
}

const std::vector<ZglCircleCache::Span>* ZglCircleCache::Get(float Radius, uint16_t Quality, bool Fill) {
  if (!Cacheable(Radius)) return nullptr;
  int radius2 = static_cast<int>(Radius * 2);
  int quality = std::max<int>(Quality, 3);
  for (const Entry& e : shapes_)
    if (e.radius2 == radius2 && e.quality == quality && e.fill == Fill) return &e.spans;
  if (shapes_.size() >= kMaxShapes) return nullptr;
  shapes_.push_back({radius2, quality, Fill, Rasterise(Radius, quality, Fill)});
  return &shapes_.back().spans;
}

std::vector<ZglCircleCache::Span> ZglCircleCache::Rasterise(float Radius, int Quality, bool Fill) {
  std::vector<Span> spans;
  float outer = Fill ? Radius : Radius + 0.5f;
  float inner = Fill ? 0 : std::max(Radius - 0.5f, 0.0f);
  int reach = static_cast<int>(std::ceil(outer)) + 1;
  for (int y = -reach; y < reach; y++) {
    int start = 0;
    bool open = false;
    for (int x = -reach; x <= reach; x++) {
      float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
      bool in = x < reach && InPolygon(px, py, outer, Quality) && !(inner > 0 && InPolygon(px, py, inner, Quality));
      if (in && !open) start = x;
      if (!in && open) spans.push_back({start, y, x - start});
      open = in;
    }
  }
  return spans;
}
