#include "zgl_batch.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kDegToRad = 3.14159265358979f / 180.0f;

SDL_Vertex V(float x, float y, SDL_Color c, float u = 0, float v = 0) {
  SDL_Vertex out;
  out.position = {x, y};
  out.color = c;
  out.tex_coord = {u, v};
  return out;
}

}  // namespace

SDL_Color zglColor(uint32_t Color, uint8_t Alpha) {
  return SDL_Color{static_cast<Uint8>((Color >> 16) & 0xFF), static_cast<Uint8>((Color >> 8) & 0xFF),
                   static_cast<Uint8>(Color & 0xFF), Alpha};
}

int ZglBatcher::Begin(void* Texture, bool Blend, size_t VertexCount) {
  bool sameState = Texture == texture_ && Blend == blend_;
  if (!vertices_.empty() && (!sameState || vertices_.size() + VertexCount > kMaxVertices)) Flush();
  texture_ = Texture;
  blend_ = Blend;
  return static_cast<int>(vertices_.size());
}

void ZglBatcher::Quad(int First, int A, int B, int C, int D) {
  const int q[6] = {A, B, C, A, C, D};
  for (int i : q) indices_.push_back(First + i);
}

void ZglBatcher::Flush() {
  if (!vertices_.empty() && sink_)
    sink_(texture_, blend_, vertices_.data(), static_cast<int>(vertices_.size()), indices_.data(),
          static_cast<int>(indices_.size()));
  Discard();
}

void ZglBatcher::Discard() {
  vertices_.clear();
  indices_.clear();
}

void ZglBatcher::Sprite(void* Texture, float TexW, float TexH, float X, float Y, float W, float H, float AngleDeg,
                        const ZglRect* Cut, uint32_t Color, uint8_t Alpha, bool Blend) {
  if (!Texture || TexW <= 0 || TexH <= 0) return;
  ZglRect cut = Cut ? *Cut : ZglRect{0, 0, TexW, TexH};
  float u0 = cut.X / TexW, v0 = cut.Y / TexH;
  float u1 = (cut.X + cut.W) / TexW, v1 = (cut.Y + cut.H) / TexH;

  float cx = X + W / 2, cy = Y + H / 2;
  float c = 1, s = 0;
  if (AngleDeg != 0) {
    c = std::cos(AngleDeg * kDegToRad);
    s = std::sin(AngleDeg * kDegToRad);
  }
  // With y down, this turn takes the x axis towards +y: clockwise on screen.
  auto at = [&](float dx, float dy, float u, float v) {
    return V(cx + dx * c - dy * s, cy + dx * s + dy * c, zglColor(Color, Alpha), u, v);
  };
  int first = Begin(Texture, Blend, 4);
  float hw = W / 2, hh = H / 2;
  vertices_.push_back(at(-hw, -hh, u0, v0));
  vertices_.push_back(at(hw, -hh, u1, v0));
  vertices_.push_back(at(hw, hh, u1, v1));
  vertices_.push_back(at(-hw, hh, u0, v1));
  Quad(first, 0, 1, 2, 3);
}

void ZglBatcher::Rect(float X, float Y, float W, float H, uint32_t Color, uint8_t Alpha, bool Fill) {
  SDL_Color col = zglColor(Color, Alpha);
  auto box = [&](float x, float y, float w, float h) {
    int first = Begin(nullptr, true, 4);
    vertices_.push_back(V(x, y, col));
    vertices_.push_back(V(x + w, y, col));
    vertices_.push_back(V(x + w, y + h, col));
    vertices_.push_back(V(x, y + h, col));
    Quad(first, 0, 1, 2, 3);
  };
  if (W <= 0 || H <= 0) return;
  if (Fill && Alpha == 255 && solid_ && W * H >= kMinSolidArea) {
    Flush();
    solid_(SDL_FRect{X, Y, W, H}, col);
    return;
  }
  if (Fill || W <= 2 || H <= 2) {
    box(X, Y, W, H);
    return;
  }
  box(X, Y, W, 1);                  // top
  box(X, Y + H - 1, W, 1);          // bottom
  box(X, Y + 1, 1, H - 2);          // left
  box(X + W - 1, Y + 1, 1, H - 2);  // right
}

void ZglBatcher::Circle(float X, float Y, float Radius, uint32_t Color, uint8_t Alpha, uint16_t Quality, bool Fill) {
  if (Radius <= 0) return;
  SDL_Color col = zglColor(Color, Alpha);
  if (const std::vector<ZglCircleCache::Span>* spans = circles_ ? circles_->Get(Radius, Quality, Fill) : nullptr) {
    // Runs are whole pixels about the centre: a centre between pixels maps them exactly.
    for (const ZglCircleCache::Span& r : *spans) {
      float x = X + static_cast<float>(r.DX), y = Y + static_cast<float>(r.DY), w = static_cast<float>(r.W);
      int first = Begin(nullptr, true, 4);
      vertices_.push_back(V(x, y, col));
      vertices_.push_back(V(x + w, y, col));
      vertices_.push_back(V(x + w, y + 1, col));
      vertices_.push_back(V(x, y + 1, col));
      Quad(first, 0, 1, 2, 3);
    }
    return;
  }
  int n = std::max<int>(Quality, 3);
  float step = 2 * 3.14159265358979f / static_cast<float>(n);
  if (Fill) {
    int first = Begin(nullptr, true, static_cast<size_t>(n) + 1);
    vertices_.push_back(V(X, Y, col));
    for (int i = 0; i < n; i++)
      vertices_.push_back(V(X + Radius * std::cos(step * i), Y + Radius * std::sin(step * i), col));
    for (int i = 0; i < n; i++) {
      indices_.push_back(first);
      indices_.push_back(first + 1 + i);
      indices_.push_back(first + 1 + (i + 1) % n);
    }
    return;
  }
  // Ring: even vertices on the outer edge, odd ones on the inner.
  float outer = Radius + 0.5f, inner = std::max(Radius - 0.5f, 0.0f);
  int first = Begin(nullptr, true, 2 * static_cast<size_t>(n));
  for (int i = 0; i < n; i++) {
    float c = std::cos(step * i), s = std::sin(step * i);
    vertices_.push_back(V(X + outer * c, Y + outer * s, col));
    vertices_.push_back(V(X + inner * c, Y + inner * s, col));
  }
  for (int i = 0; i < n; i++) {
    int j = (i + 1) % n;
    Quad(first, 2 * i, 2 * j, 2 * j + 1, 2 * i + 1);
  }
}

void ZglBatcher::Line(float X1, float Y1, float X2, float Y2, uint32_t Color, uint8_t Alpha, bool Smooth) {
  float dx = X2 - X1, dy = Y2 - Y1;
  float len = std::sqrt(dx * dx + dy * dy);
  if (len <= 0) return;
  // Unit normal to the line.
  float nx = -dy / len, ny = dx / len;
  SDL_Color col = zglColor(Color, Alpha);
  if (!Smooth) {
    int first = Begin(nullptr, true, 4);
    vertices_.push_back(V(X1 + nx * 0.5f, Y1 + ny * 0.5f, col));
    vertices_.push_back(V(X2 + nx * 0.5f, Y2 + ny * 0.5f, col));
    vertices_.push_back(V(X2 - nx * 0.5f, Y2 - ny * 0.5f, col));
    vertices_.push_back(V(X1 - nx * 0.5f, Y1 - ny * 0.5f, col));
    Quad(first, 0, 1, 2, 3);
    return;
  }
  // Across the line: feather edge, core edge, core edge, feather edge.
  SDL_Color clear = zglColor(Color, 0);
  const float offsets[4] = {1.5f, 0.5f, -0.5f, -1.5f};
  int first = Begin(nullptr, true, 8);
  for (int k = 0; k < 4; k++) {
    SDL_Color c = (k == 0 || k == 3) ? clear : col;
    vertices_.push_back(V(X1 + nx * offsets[k], Y1 + ny * offsets[k], c));
    vertices_.push_back(V(X2 + nx * offsets[k], Y2 + ny * offsets[k], c));
  }
  // Vertex 2k is at the first end, 2k + 1 at the second, for edge k.
  for (int k = 0; k < 3; k++) Quad(first, 2 * k, 2 * k + 1, 2 * k + 3, 2 * k + 2);
}
