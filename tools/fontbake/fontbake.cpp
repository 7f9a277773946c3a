// fontbake FONT.ttf PIXEL_SIZE OUT.zfi
//
// Renders printable ASCII and the basic Cyrillic block with FreeType as 8-bit
// antialiased coverage, packs the glyphs into one atlas and writes a .zfi
// (layout in engine/zgl_font.h).
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Baked {
  uint32_t codepoint = 0;
  int x = 0, y = 0, w = 0, h = 0;
  int offX = 0, offY = 0, advance = 0;
  std::vector<uint8_t> pixels;  // w * h
};

// One empty texel between glyphs so filtered sampling never picks up a neighbour.
constexpr int kPad = 1;

void Put16(std::vector<uint8_t>& out, int v) {
  const auto u = static_cast<uint16_t>(v);
  out.push_back(static_cast<uint8_t>(u & 0xFF));
  out.push_back(static_cast<uint8_t>(u >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool Fits16(int v, bool isSigned) { return isSigned ? (v >= -32768 && v <= 32767) : (v >= 0 && v <= 65535); }

// Shelf packing, tallest glyphs first, into rows of the given width. Returns the atlas height.
int Pack(std::vector<Baked*>& order, int width) {
  int penX = kPad, penY = kPad, shelf = 0;
  for (Baked* g : order) {
    if (g->w == 0 || g->h == 0) continue;
    if (penX + g->w + kPad > width) {
      penX = kPad;
      penY += shelf + kPad;
      shelf = 0;
    }
    g->x = penX;
    g->y = penY;
    penX += g->w + kPad;
    shelf = std::max(shelf, g->h);
  }
  return penY + shelf + kPad;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: fontbake FONT.ttf PIXEL_SIZE OUT.zfi\n");
    return 2;
  }
  const char* fontPath = argv[1];
  char* end = nullptr;
  const long pixelSize = std::strtol(argv[2], &end, 10);
  if (end == argv[2] || *end != 0 || pixelSize < 4 || pixelSize > 256) {
    std::fprintf(stderr, "fontbake: pixel size must be a whole number from 4 to 256\n");
    return 2;
  }
  const char* outPath = argv[3];

  FT_Library lib;
  FT_Face face;
  if (FT_Init_FreeType(&lib) != 0) {
    std::fprintf(stderr, "fontbake: cannot start FreeType\n");
    return 1;
  }
  if (FT_New_Face(lib, fontPath, 0, &face) != 0) {
    std::fprintf(stderr, "fontbake: cannot open %s\n", fontPath);
    return 1;
  }
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
    std::fprintf(stderr, "fontbake: %s has no %ld px size\n", fontPath, pixelSize);
    return 1;
  }

  std::vector<uint32_t> wanted;
  for (uint32_t c = 0x20; c <= 0x7E; ++c) wanted.push_back(c);
  for (uint32_t c = 0x400; c <= 0x45F; ++c) wanted.push_back(c);

  std::vector<Baked> glyphs;
  int missing = 0;
  for (uint32_t cp : wanted) {
    const FT_UInt index = FT_Get_Char_Index(face, cp);
    if (index == 0) {
      ++missing;
      continue;
    }
    // Light hinting snaps to the pixel grid vertically only, which keeps
    // stems crisp at small sizes without distorting the shapes.
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_LIGHT) != 0 ||
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_LIGHT) != 0) {
      std::fprintf(stderr, "fontbake: cannot render U+%04X\n", cp);
      return 1;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.width > 0) {
      std::fprintf(stderr, "fontbake: U+%04X did not render as 8-bit coverage\n", cp);
      return 1;
    }
    Baked g;
    g.codepoint = cp;
    g.w = static_cast<int>(bm.width);
    g.h = static_cast<int>(bm.rows);
    g.offX = slot->bitmap_left;
    g.offY = -slot->bitmap_top;
    g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    g.pixels.resize(static_cast<size_t>(g.w) * g.h);
    for (int row = 0; row < g.h; ++row)
      for (int col = 0; col < g.w; ++col)
        g.pixels[static_cast<size_t>(row) * g.w + col] = bm.buffer[row * bm.pitch + col];
    glyphs.push_back(std::move(g));
  }
  if (missing > 0) std::fprintf(stderr, "fontbake: %d codepoints not in %s, left out\n", missing, fontPath);

  const int lineHeight = static_cast<int>((face->size->metrics.height + 63) >> 6);
  const int ascent = static_cast<int>((face->size->metrics.ascender + 32) >> 6);

  // Try widths around the square root of the glyph area and keep the smallest atlas.
  long area = 0;
  int widest = 0;
  for (const Baked& g : glyphs) {
    area += static_cast<long>(g.w + kPad) * (g.h + kPad);
    widest = std::max(widest, g.w + 2 * kPad);
  }
  std::vector<Baked*> order;
  for (Baked& g : glyphs) order.push_back(&g);
  std::stable_sort(order.begin(), order.end(), [](const Baked* a, const Baked* b) { return a->h > b->h; });
  const int side = static_cast<int>(std::sqrt(static_cast<double>(area)));
  int bestW = 0;
  long bestArea = -1;
  for (int w = std::max(widest, side / 2); w <= std::max(widest, side * 2); ++w) {
    const long a = static_cast<long>(w) * Pack(order, w);
    if (bestArea < 0 || a < bestArea) bestArea = a, bestW = w;
  }
  const int atlasW = bestW;
  const int atlasH = Pack(order, atlasW);
  if (!Fits16(atlasW, false) || !Fits16(atlasH, false) || !Fits16(lineHeight, false) || !Fits16(ascent, true)) {
    std::fprintf(stderr, "fontbake: %ld px is too large for the format\n", pixelSize);
    return 1;
  }

  std::vector<uint8_t> atlas(static_cast<size_t>(atlasW) * atlasH, 0);
  for (const Baked& g : glyphs)
    for (int row = 0; row < g.h; ++row)
      std::copy_n(&g.pixels[static_cast<size_t>(row) * g.w], g.w,
                  &atlas[static_cast<size_t>(g.y + row) * atlasW + g.x]);

  std::vector<uint8_t> out = {'Z', 'F', 'I', '1'};
  Put16(out, lineHeight);
  Put16(out, ascent);
  Put16(out, atlasW);
  Put16(out, atlasH);
  Put32(out, static_cast<uint32_t>(glyphs.size()));
  for (const Baked& g : glyphs) {  // already ascending: the wanted list is
    Put32(out, g.codepoint);
    Put16(out, g.x);
    Put16(out, g.y);
    Put16(out, g.w);
    Put16(out, g.h);
    Put16(out, g.offX);
    Put16(out, g.offY);
    Put16(out, g.advance);
  }
  out.insert(out.end(), atlas.begin(), atlas.end());

  std::FILE* f = std::fopen(outPath, "wb");
  bool written = f != nullptr && std::fwrite(out.data(), 1, out.size(), f) == out.size();
  if (f != nullptr && std::fclose(f) != 0) written = false;
  if (!written) {
    std::fprintf(stderr, "fontbake: cannot write %s\n", outPath);
    return 1;
  }
  std::printf("%s: %zu glyphs, line %d, ascent %d, atlas %dx%d\n", outPath, glyphs.size(), lineHeight, ascent, atlasW,
              atlasH);
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  return 0;
}
