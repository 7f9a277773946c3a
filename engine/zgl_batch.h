// The engine's draw batching: every primitive, sprite and glyph becomes
// triangles in one vertex/index list, and a list is handed to the renderer
// only when the texture or blending changes, when it grows large, or before
// the frame is presented. Pure geometry: no window is needed to build it.
#pragma once

#include <SDL2/SDL_render.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/zgl_circles.h"
#include "engine/zgl_collide.h"

class ZglBatcher {
 public:
  // Receives one batch: triangles over Texture (nullptr: untextured), blended or not.
  using Sink = std::function<void(void* Texture, bool Blend, const SDL_Vertex* Vertices, int VertexCount,
                                  const int* Indices, int IndexCount)>;

  // Receives one opaque axis-aligned filled rectangle, in drawing order.
  using SolidSink = std::function<void(const SDL_FRect& Rect, SDL_Color Color)>;

  // Above this many vertices the pending batch is handed on before more is added.
  static constexpr size_t kMaxVertices = 65536;
  // Opaque fills of at least this many square pixels go to the solid sink, if
  // there is one: a software renderer blends every pixel of a fill it gets as
  // triangles, even at full alpha, which for a full-screen background costs
  // more than the rest of the frame. Smaller fills stay in the batch.
  static constexpr float kMinSolidArea = 64 * 64;

  explicit ZglBatcher(Sink sink, SolidSink solid = nullptr) : sink_(std::move(sink)), solid_(std::move(solid)) {}

  // Region Cut (texels; nullptr = the whole texture) of a TexW x TexH texture
  // into the W x H rectangle at top-left (X, Y), turned by AngleDeg about its
  // centre, positive clockwise on screen (y down). Colour modulates the texels.
  void Sprite(void* Texture, float TexW, float TexH, float X, float Y, float W, float H, float AngleDeg,
              const ZglRect* Cut, uint32_t Color, uint8_t Alpha, bool Blend);
  // Filled, or an outline about 1 px wide inside the rectangle. A large opaque
  // fill flushes the pending batch and goes to the solid sink (see kMinSolidArea).
  void Rect(float X, float Y, float W, float H, uint32_t Color, uint8_t Alpha, bool Fill);
  // Quality segments (at least 3): a filled fan, or a ring about 1 px wide.
  // With a circle cache, a small circle is its cached runs of pixels.
  void Circle(float X, float Y, float Radius, uint32_t Color, uint8_t Alpha, uint16_t Quality, bool Fill);
  // A 1 px quad; Smooth adds a 1 px feather on each side fading to alpha 0.
  // A line of no length draws nothing.
  void Line(float X1, float Y1, float X2, float Y2, uint32_t Color, uint8_t Alpha, bool Smooth);

  // Small circles from now on are drawn as Cache's runs (nullptr: triangles).
  void SetCircleCache(ZglCircleCache* Cache) { circles_ = Cache; }

  // Hands the pending batch to the sink, if there is one.
  void Flush();
  // Drops the pending batch without drawing it.
  void Discard();

  const std::vector<SDL_Vertex>& Vertices() const { return vertices_; }
  const std::vector<int>& Indices() const { return indices_; }
  void* Texture() const { return texture_; }

 private:
  // Makes room for VertexCount more vertices under the given state, flushing
  // first when the state differs; returns the index of the first new vertex.
  int Begin(void* Texture, bool Blend, size_t VertexCount);
  void Quad(int First, int A, int B, int C, int D);

  Sink sink_;
  SolidSink solid_;
  std::vector<SDL_Vertex> vertices_;
  std::vector<int> indices_;
  void* texture_ = nullptr;
  bool blend_ = true;
  ZglCircleCache* circles_ = nullptr;
};

// 0xRRGGBB and alpha as an SDL colour.
SDL_Color zglColor(uint32_t Color, uint8_t Alpha);
