// Faded copies of textures. A software renderer blends a texture drawn at an
// alpha below 255 through its slow modulating path, about three times the cost
// of a plain blend; a copy whose texel alphas are already scaled draws the
// same picture through the plain one. Dimmed panels are drawn every frame at
// one alpha, so a texture keeps a few such copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// An ARGB8888 texel with its alpha scaled by Alpha / 255, rounded down as the
// renderer's modulation rounds: the same blend as modulating the original.
inline uint32_t zglFadeTexel(uint32_t Texel, uint8_t Alpha) {
  return ((Texel >> 24) * Alpha / 255) << 24 | (Texel & 0xFFFFFF);
}

// Every texel faded so.
std::vector<uint32_t> zglFadeTexels(const std::vector<uint32_t>& Texels, uint8_t Alpha);

// Which faded copies a texture keeps: at most kMax alphas, the first ones asked
// for; a fade through many alphas takes the modulating path past them.
class ZglFadeSlots {
 public:
  static constexpr size_t kMax = 4;
  // The slot of Alpha's copy; Created is set when the slot is new and its copy
  // must be made. -1 when every slot is taken by another alpha.
  int Find(uint8_t Alpha, bool& Created);
  size_t Count() const { return alphas_.size(); }

 private:
  std::vector<uint8_t> alphas_;
};
