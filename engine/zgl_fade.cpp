#include "zgl_fade.h"

std::vector<uint32_t> zglFadeTexels(const std::vector<uint32_t>& Texels, uint8_t Alpha) {
  std::vector<uint32_t> out(Texels.size());
  for (size_t i = 0; i < Texels.size(); i++) out[i] = zglFadeTexel(Texels[i], Alpha);
  return out;
}

int ZglFadeSlots::Find(uint8_t Alpha, bool& Created) {
  Created = false;
  for (size_t i = 0; i < alphas_.size(); i++)
    if (alphas_[i] == Alpha) return static_cast<int>(i);
  if (alphas_.size() >= kMax) return -1;
  alphas_.push_back(Alpha);
  Created = true;
  return static_cast<int>(alphas_.size() - 1);
}
