#include "zgl_font.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr size_t kHeaderSize = 16;  // magic, lineHeight, ascent, atlasW, atlasH, glyphCount
constexpr size_t kGlyphSize = 18;   // codepoint, x, y, w, h, offX, offY, advance
constexpr uint32_t kMaxCodepoint = 0x10FFFF;
// Anything past these is a corrupt file rather than a font anyone would bake
// for a 1024x768 window; rejecting early keeps us from allocating on a lie.
constexpr int kMaxMetric = 4096;
constexpr uint32_t kMaxGlyphs = 0x10000;
constexpr uint32_t kReplacement = 0xFFFD;

// Little-endian reader that refuses to step past the end of its buffer.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t Left() const { return size_ - pos_; }
  bool U16(uint16_t& v) {
    if (Left() < 2) return false;
    v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }
  bool I16(int16_t& v) {
    uint16_t u;
    if (!U16(u)) return false;
    v = static_cast<int16_t>(u);
    return true;
  }
  bool U32(uint32_t& v) {
    if (Left() < 4) return false;
    v = static_cast<uint32_t>(data_[pos_]) | (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
        (static_cast<uint32_t>(data_[pos_ + 2]) << 16) | (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return true;
  }
  const uint8_t* Take(size_t n) {
    if (Left() < n) return nullptr;
    const uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

bool MetricOk(int v, int lo) { return v >= lo && v <= kMaxMetric; }

}  // namespace

const ZglGlyph* ZglFontData::Find(uint32_t codepoint) const {
  auto it = std::lower_bound(glyphs.begin(), glyphs.end(), codepoint,
                             [](const ZglGlyph& g, uint32_t cp) { return g.codepoint < cp; });
  if (it == glyphs.end() || it->codepoint != codepoint) return nullptr;
  return &*it;
}

bool zglFontParse(const uint8_t* data, size_t size, ZglFontData& out) {
  if (data == nullptr || size < kHeaderSize) return false;
  Reader r(data, size);
  const uint8_t* magic = r.Take(4);
  if (magic == nullptr || std::memcmp(magic, "ZFI1", 4) != 0) return false;

  ZglFontData font;
  uint32_t count = 0;
  if (!r.U16(font.lineHeight) || !r.I16(font.ascent) || !r.U16(font.atlasW) || !r.U16(font.atlasH) ||
      !r.U32(count))
    return false;
  if (!MetricOk(font.lineHeight, 1) || !MetricOk(font.ascent, 0)) return false;
  if (count > kMaxGlyphs) return false;

  // The rest must be exactly the glyph table and the atlas: a short file is
  // truncated, a long one is not what the baker wrote.
  const uint64_t atlasBytes = static_cast<uint64_t>(font.atlasW) * font.atlasH;
  const uint64_t need = static_cast<uint64_t>(count) * kGlyphSize + atlasBytes;
  if (need != r.Left()) return false;

  font.glyphs.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    ZglGlyph g{};
    if (!r.U32(g.codepoint) || !r.U16(g.x) || !r.U16(g.y) || !r.U16(g.w) || !r.U16(g.h) || !r.I16(g.offX) ||
        !r.I16(g.offY) || !r.I16(g.advance))
      return false;
    if (g.codepoint > kMaxCodepoint) return false;
    // Find relies on a strictly ascending table; a duplicate would be ambiguous.
    if (!font.glyphs.empty() && g.codepoint <= font.glyphs.back().codepoint) return false;
    if (static_cast<uint32_t>(g.x) + g.w > font.atlasW || static_cast<uint32_t>(g.y) + g.h > font.atlasH)
      return false;
    if (!MetricOk(g.advance, 0) || !MetricOk(g.offX, -kMaxMetric) || !MetricOk(g.offY, -kMaxMetric)) return false;
    font.glyphs.push_back(g);
  }

  const uint8_t* atlas = r.Take(static_cast<size_t>(atlasBytes));
  if (atlas == nullptr) return false;
  font.coverage.assign(atlas, atlas + atlasBytes);
  out = std::move(font);
  return true;
}

std::vector<uint32_t> zglDecodeUtf8(const char* text) {
  std::vector<uint32_t> cps;
  if (text == nullptr) return cps;
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  while (*s != 0) {
    const unsigned char lead = *s;
    if (lead < 0x80) {
      cps.push_back(lead);
      ++s;
      continue;
    }
    int extra;
    uint32_t cp;
    uint32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1, cp = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2, cp = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3, cp = lead & 0x07, min = 0x10000;
    } else {
      // Stray continuation byte, or a lead byte that can only start an overlong
      // (C0, C1) or out-of-range (F5..FF) sequence.
      cps.push_back(kReplacement);
      ++s;
      continue;
    }
    ++s;
    int got = 0;
    // A terminator is not a continuation byte, so this stops at the end.
    while (got < extra && (*s & 0xC0) == 0x80) {
      cp = (cp << 6) | (*s & 0x3F);
      ++s;
      ++got;
    }
    if (got < extra || cp < min || cp > kMaxCodepoint || (cp >= 0xD800 && cp <= 0xDFFF)) {
      // Truncated, overlong, beyond Unicode or a surrogate: one replacement for
      // the whole sequence, resuming at the first byte that did not belong.
      cps.push_back(kReplacement);
      continue;
    }
    cps.push_back(cp);
  }
  return cps;
}

namespace {

bool IsBlank(uint32_t cp) { return cp == ' ' || cp == '\t' || cp == 0xA0; }

}  // namespace

std::vector<ZglGlyphQuad> zglLayoutText(const ZglFontData& font, const char* text, float x, float y, float scale,
                                        float step, uint32_t flags) {
  std::vector<ZglGlyphQuad> quads;
  const std::vector<uint32_t> cps = zglDecodeUtf8(text);

  std::vector<const ZglGlyph*> glyphs;
  glyphs.reserve(cps.size());
  for (uint32_t cp : cps)
    if (const ZglGlyph* g = font.Find(cp)) glyphs.push_back(g);
  if (glyphs.empty()) return quads;

  float width = 0;
  for (const ZglGlyph* g : glyphs) width += g->advance * scale;
  width += step * static_cast<float>(glyphs.size() - 1);

  float left = x;
  float top = y;
  if (flags & 0x02) left = x - width / 2;
  // Half a line above the point, then down by the ascent: with the usual
  // line-gap split this puts the middle of capitals and digits on y.
  if (flags & 0x20) top = y - font.lineHeight * scale / 2;
  // Whole-pixel origin so glyphs at scale 1 sample the atlas texel for texel.
  float pen = std::floor(left + 0.5f);
  const float baseline = std::floor(top + font.ascent * scale + 0.5f);

  for (const ZglGlyph* g : glyphs) {
    if (g->w > 0 && g->h > 0 && !IsBlank(g->codepoint)) {
      ZglGlyphQuad q;
      q.srcX = g->x;
      q.srcY = g->y;
      q.srcW = g->w;
      q.srcH = g->h;
      q.dstX = pen + g->offX * scale;
      q.dstY = baseline + g->offY * scale;
      q.dstW = g->w * scale;
      q.dstH = g->h * scale;
      quads.push_back(q);
    }
    pen += g->advance * scale + step;
  }
  return quads;
}
