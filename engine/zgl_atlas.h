// Ready-made pictures for a software renderer. SDL's software renderer is
// quick only at blitting an unscaled, unturned picture; a quad that is turned
// becomes two triangles, each rasterised into a scratch surface the size of
// its bounding box and then blended (about ten times the cost of the blit),
// and a small circle is a dozen one-row fills. So each sprite as drawn (texture,
// region, size, angle to the nearest degree, alpha) and each small circle
// (shape, colour, alpha) is made once into one shared atlas texture, and drawn
// from there as an unturned, unscaled quad: one blit, and one texture for all
// of them, so they batch together.
// Pure pieces here: the pictures, the packing and the cache of places; the
// engine owns the texture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "engine/zgl_circles.h"
#include "engine/zgl_collide.h"

// What a sprite's picture is made of. Positions are not part of it: the same
// picture is blitted wherever the sprite is.
struct ZglSpriteKey {
  const void* Texture;
  ZglRect Cut;  // texels of Texture
  float W, H;   // the size drawn, before turning
  int Angle;    // whole degrees, 0..359
  uint8_t Alpha;

  bool operator==(const ZglSpriteKey& o) const;
};

struct ZglSpriteKeyHash {
  size_t operator()(const ZglSpriteKey& k) const;
};

// A small circle's picture: its shape as the circle cache names it, its colour.
struct ZglCircleKey {
  int Radius2;  // radius in half pixels
  int Quality;
  bool Fill;
  uint32_t Color;  // 0xRRGGBB
  uint8_t Alpha;

  bool operator==(const ZglCircleKey& o) const;
};

struct ZglCircleKeyHash {
  size_t operator()(const ZglCircleKey& k) const;
};

// AngleDeg to the nearest whole degree, in [0, 360).
int zglTurnAngle(float AngleDeg);

// The picture size of a W x H sprite turned by Angle degrees: its bounding
// box in whole pixels, with a pixel to spare on each side when turned.
void zglTurnedSize(float W, float H, int Angle, int& OutW, int& OutH);

// The OutW x OutH picture of region Cut of the TexW x TexH ARGB8888 Texels
// drawn W x H, turned by Angle degrees clockwise (y down) about the centre of
// the picture, each alpha scaled by Alpha / 255 as the renderer's modulation
// rounds. A pixel whose centre falls inside the turned rectangle takes the
// nearest texel, as the renderer's triangles sample; the rest are transparent.
void zglTurnTexels(const uint32_t* Texels, int TexW, int TexH, const ZglRect& Cut, float W, float H, int Angle,
                   uint8_t Alpha, int OutW, int OutH, uint32_t* Out);

// The bounding box of a circle's runs, its corner (X, Y) relative to the
// circle's centre; W and H are 0 when there are no runs.
void zglCircleBounds(const std::vector<ZglCircleCache::Span>& Spans, int& X, int& Y, int& W, int& H);

// The runs as a W x H picture whose corner is (X, Y) from the centre (their
// bounds): Color at Alpha where a run covers, transparent elsewhere.
void zglCircleTexels(const std::vector<ZglCircleCache::Span>& Spans, uint32_t Color, uint8_t Alpha, int X, int Y,
                     int W, int H, uint32_t* Out);

// Places rectangles in a W x H area in rows (shelves), left to right, a new
// row below the tallest of the current one when a rectangle does not fit.
class ZglShelfPacker {
 public:
  ZglShelfPacker(int W, int H) : w_(W), h_(H) {}
  // The top-left corner for a W x H rectangle; false when there is no room.
  bool Place(int W, int H, int& X, int& Y);
  // Empties the area.
  void Reset() { x_ = rowY_ = rowH_ = 0; }

 private:
  int w_, h_;
  int x_ = 0, rowY_ = 0, rowH_ = 0;
};

// Where each picture sits in the atlas. When the atlas is full the owner
// draws what it has queued, resets the cache and starts again: the pictures
// in use come back on their next draw.
class ZglPictureCache {
 public:
  static constexpr int kAtlasSize = 2048;
  // Larger pictures are drawn as they are: their pixels outweigh the setup,
  // and one would crowd out many small ones.
  static constexpr int kMaxSide = 512;

  struct Slot {
    int X, Y, W, H;
  };

  ZglPictureCache() : packer_(kAtlasSize, kAtlasSize) {}

  // Key's place, or nullptr when it has none yet.
  const Slot* Find(const ZglSpriteKey& Key) const { return Lookup(sprites_, Key); }
  const Slot* Find(const ZglCircleKey& Key) const { return Lookup(circles_, Key); }
  // A new W x H place for Key; nullptr when the atlas has no room left or
  // the picture is larger than kMaxSide. Places stay valid until Reset.
  const Slot* Add(const ZglSpriteKey& Key, int W, int H) { return Insert(sprites_, Key, W, H); }
  const Slot* Add(const ZglCircleKey& Key, int W, int H) { return Insert(circles_, Key, W, H); }
  // Forgets every place; the atlas's texels may then be written over.
  void Reset();
  size_t Count() const { return sprites_.size() + circles_.size(); }

 private:
  template <class Map, class Key>
  static const Slot* Lookup(const Map& map, const Key& key) {
    auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
  }
  template <class Map, class Key>
  const Slot* Insert(Map& map, const Key& key, int w, int h) {
    if (w > kMaxSide || h > kMaxSide) return nullptr;
    int x, y;
    if (!packer_.Place(w, h, x, y)) return nullptr;
    // A key added twice keeps its first place; the new one is simply unused.
    return &map.emplace(key, Slot{x, y, w, h}).first->second;
  }

  ZglShelfPacker packer_;
  std::unordered_map<ZglSpriteKey, Slot, ZglSpriteKeyHash> sprites_;
  std::unordered_map<ZglCircleKey, Slot, ZglCircleKeyHash> circles_;
};
