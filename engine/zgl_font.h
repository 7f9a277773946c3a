// The baked bitmap font (.zfi): parsing and text layout, no drawing.
//
// File layout (all integers little-endian):
//   "ZFI1"                      magic
//   u16 lineHeight, i16 ascent  pixels
//   u16 atlasW, u16 atlasH
//   u32 glyphCount
//   glyphCount x { u32 codepoint; u16 x, y, w, h; i16 offX, offY; i16 advance }
//   atlasW * atlasH bytes       8-bit coverage, row by row
// offX/offY place the glyph's top-left relative to the pen on the baseline.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct ZglGlyph {
  uint32_t codepoint;
  uint16_t x, y, w, h;
  int16_t offX, offY;
  int16_t advance;
};

struct ZglFontData {
  uint16_t lineHeight = 0;
  int16_t ascent = 0;
  uint16_t atlasW = 0, atlasH = 0;
  std::vector<ZglGlyph> glyphs;  // sorted by codepoint
  std::vector<uint8_t> coverage; // atlasW * atlasH
  const ZglGlyph* Find(uint32_t codepoint) const;
};

// One glyph to draw: source rectangle in the atlas, destination on screen.
struct ZglGlyphQuad {
  float srcX, srcY, srcW, srcH;
  float dstX, dstY, dstW, dstH;
};

// Parses a .zfi image; false (and out untouched) when malformed or truncated.
bool zglFontParse(const uint8_t* data, size_t size, ZglFontData& out);

// Decodes UTF-8; malformed bytes yield U+FFFD and never read past the end.
std::vector<uint32_t> zglDecodeUtf8(const char* text);

// Lays out text at (x, y) with the engine's flags (0x02 centre horizontally,
// 0x20 centre vertically; otherwise (x, y) is the top-left). Glyphs the font
// lacks take no room and draw nothing.
std::vector<ZglGlyphQuad> zglLayoutText(const ZglFontData& font, const char* text, float x, float y, float scale,
                                        float step, uint32_t flags);
