// The baked menu font, the .zfi parser and the text layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/zgl_font.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Builds .zfi images field by field, so each malformed case says what it breaks.
struct ZfiBuilder {
  char magic[4] = {'Z', 'F', 'I', '1'};
  uint16_t lineHeight = 10;
  int16_t ascent = 8;
  uint16_t atlasW = 8, atlasH = 6;
  std::vector<ZglGlyph> glyphs;
  int64_t countOverride = -1;  // write this glyph count instead of the real one
  int atlasBytesDelta = 0;     // extra (or, negative, missing) atlas bytes

  ZfiBuilder() {
    glyphs.push_back({' ', 0, 0, 0, 0, 0, 0, 4});
    glyphs.push_back({'A', 0, 0, 4, 6, 1, -6, 6});
    glyphs.push_back({0x41C, 4, 0, 4, 5, 0, -5, 5});  // М
  }
  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> b(magic, magic + 4);
    auto u16 = [&](int v) {
      b.push_back(static_cast<uint8_t>(v & 0xFF));
      b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    };
    auto u32 = [&](uint32_t v) {
      for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    u16(lineHeight);
    u16(ascent);
    u16(atlasW);
    u16(atlasH);
    u32(countOverride >= 0 ? static_cast<uint32_t>(countOverride) : static_cast<uint32_t>(glyphs.size()));
    for (const ZglGlyph& g : glyphs) {
      u32(g.codepoint);
      u16(g.x), u16(g.y), u16(g.w), u16(g.h), u16(g.offX), u16(g.offY), u16(g.advance);
    }
    // A header may claim a huge atlas; only write pixels for small ones.
    const long atlas = std::min(static_cast<long>(atlasW) * atlasH, 4096L) + atlasBytesDelta;
    for (long i = 0; i < atlas; ++i) b.push_back(static_cast<uint8_t>(i * 7));
    return b;
  }
};

// Parses from a heap block of exactly the image's size, so any read past the
// end is caught by AddressSanitizer.
bool ParseExact(const std::vector<uint8_t>& bytes, ZglFontData& out) {
  std::unique_ptr<uint8_t[]> block(new uint8_t[bytes.size() ? bytes.size() : 1]);
  std::copy(bytes.begin(), bytes.end(), block.get());
  return zglFontParse(block.get(), bytes.size(), out);
}

ZglFontData Fixture() {
  ZglFontData f;
  EXPECT_TRUE(ParseExact(ZfiBuilder().Bytes(), f));
  return f;
}

struct Extent {
  float left = 1e9f, right = -1e9f, top = 1e9f, bottom = -1e9f;
};

Extent ExtentOf(const std::vector<ZglGlyphQuad>& quads) {
  Extent e;
  for (const ZglGlyphQuad& q : quads) {
    e.left = std::min(e.left, q.dstX);
    e.right = std::max(e.right, q.dstX + q.dstW);
    e.top = std::min(e.top, q.dstY);
    e.bottom = std::max(e.bottom, q.dstY + q.dstH);
  }
  return e;
}

const char* const kCaptions[] = {"Меню",  "Новый",   "Сохранить",    "Открыть", "Закрыть", "Динамический", "Черный",
                                 "Белый", "Зеркало", "Интерактивный", "375",     "003",     "+"};

class MenuFont : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::vector<uint8_t> bytes = ReadFile(std::string(SOURCE_DIR) + "/data/font_1.zfi");
    ASSERT_FALSE(bytes.empty()) << "data/font_1.zfi is missing";
    ASSERT_TRUE(ParseExact(bytes, font));
  }
  ZglFontData font;
};

}  // namespace

TEST_F(MenuFont, HoldsEveryNeededCodepointWithItsPixels) {
  std::vector<uint32_t> needed;
  for (uint32_t c = 0x20; c <= 0x7E; ++c) needed.push_back(c);
  for (uint32_t c = 0x410; c <= 0x44F; ++c) needed.push_back(c);
  needed.push_back(0x401);  // Ё
  needed.push_back(0x451);  // ё
  for (uint32_t cp : needed) {
    const ZglGlyph* g = font.Find(cp);
    ASSERT_NE(g, nullptr) << "U+" << std::hex << cp;
    EXPECT_EQ(g->codepoint, cp);
    EXPECT_GT(g->advance, 0) << "U+" << std::hex << cp;
    if (cp == ' ') continue;
    // Every printable glyph has a bitmap with some ink in it.
    ASSERT_GT(g->w * g->h, 0) << "U+" << std::hex << cp;
    int ink = 0;
    for (int y = g->y; y < g->y + g->h; ++y)
      for (int x = g->x; x < g->x + g->w; ++x) ink += font.coverage[static_cast<size_t>(y) * font.atlasW + x] > 0;
    EXPECT_GT(ink, 0) << "U+" << std::hex << cp;
  }
  // Every caption the menus show decodes to glyphs the font has.
  for (const char* caption : kCaptions) {
    for (uint32_t cp : zglDecodeUtf8(caption)) {
      EXPECT_NE(font.Find(cp), nullptr) << caption;
    }
  }
}

TEST_F(MenuFont, TableIsSortedAndInsideTheAtlas) {
  ASSERT_EQ(font.coverage.size(), static_cast<size_t>(font.atlasW) * font.atlasH);
  EXPECT_GT(font.lineHeight, 0);
  EXPECT_GT(font.ascent, 0);
  EXPECT_LE(font.ascent, font.lineHeight);
  for (size_t i = 0; i < font.glyphs.size(); ++i) {
    const ZglGlyph& g = font.glyphs[i];
    if (i > 0) {
      EXPECT_LT(font.glyphs[i - 1].codepoint, g.codepoint);
    }
    EXPECT_LE(g.x + g.w, font.atlasW) << "U+" << std::hex << g.codepoint;
    EXPECT_LE(g.y + g.h, font.atlasH) << "U+" << std::hex << g.codepoint;
  }
}

TEST_F(MenuFont, CentredCaptionSitsOnItsPoint) {
  const float x = 512, y = 384;
  const std::vector<ZglGlyphQuad> quads = zglLayoutText(font, "Меню", x, y, 1.0f, 0.0f, 0x22);
  ASSERT_EQ(quads.size(), 4u);
  const Extent e = ExtentOf(quads);
  // Side bearings differ by under a pixel between М and ю, and the origin is
  // snapped to a whole pixel: the ink is centred within a pixel.
  EXPECT_NEAR((e.left + e.right) / 2, x, 1.0f);
  // Capital top to baseline, with round letters overshooting by a pixel.
  EXPECT_NEAR((e.top + e.bottom) / 2, y, 1.5f);
  for (const ZglGlyphQuad& q : quads) {
    EXPECT_FLOAT_EQ(q.dstX, std::floor(q.dstX)) << "glyphs land on whole pixels";
    EXPECT_FLOAT_EQ(q.dstY, std::floor(q.dstY));
  }
}

TEST_F(MenuFont, CaptionsFitTheirButtons) {
  // The option captions are centred 11 px right of a 180 px button whose
  // 22 px check box ends 53 px left of the centre; every other caption
  // has the whole 180 px button.
  for (const char* caption : kCaptions) {
    const Extent e = ExtentOf(zglLayoutText(font, caption, 11, 0, 1.0f, 0.0f, 0x22));
    EXPECT_GT(e.left, -53) << caption;
    EXPECT_LT(e.right, 90) << caption;
    EXPECT_LT(e.bottom - e.top, 52) << caption;
  }
}

TEST_F(MenuFont, ScaleTwoDoublesTheWidth) {
  const Extent one = ExtentOf(zglLayoutText(font, "Сохранить", 0, 0, 1.0f, 0.0f, 0));
  const Extent two = ExtentOf(zglLayoutText(font, "Сохранить", 0, 0, 2.0f, 0.0f, 0));
  EXPECT_FLOAT_EQ(two.right - two.left, 2 * (one.right - one.left));
  EXPECT_FLOAT_EQ(two.bottom - two.top, 2 * (one.bottom - one.top));
}

TEST(FontParse, AcceptsAWellFormedImage) {
  ZglFontData f;
  ASSERT_TRUE(ParseExact(ZfiBuilder().Bytes(), f));
  EXPECT_EQ(f.lineHeight, 10);
  EXPECT_EQ(f.ascent, 8);
  EXPECT_EQ(f.atlasW, 8);
  EXPECT_EQ(f.atlasH, 6);
  ASSERT_EQ(f.glyphs.size(), 3u);
  EXPECT_EQ(f.glyphs[2].codepoint, 0x41Cu);
  EXPECT_EQ(f.glyphs[1].offY, -6);
  ASSERT_EQ(f.coverage.size(), 48u);
  EXPECT_EQ(f.coverage[47], static_cast<uint8_t>(47 * 7));
}

TEST(FontParse, RejectsMalformedImagesAndLeavesOutAlone) {
  struct Case {
    const char* name;
    void (*mutate)(ZfiBuilder&);
  };
  const Case cases[] = {
      {"wrong magic", [](ZfiBuilder& b) { b.magic[3] = '2'; }},
      {"zero line height", [](ZfiBuilder& b) { b.lineHeight = 0; }},
      {"absurd line height", [](ZfiBuilder& b) { b.lineHeight = 60000; }},
      {"negative ascent", [](ZfiBuilder& b) { b.ascent = -3; }},
      {"huge glyph count", [](ZfiBuilder& b) { b.countOverride = 0xFFFFFFFF; }},
      {"count one more than the table", [](ZfiBuilder& b) { b.countOverride = 4; }},
      {"count one less than the table", [](ZfiBuilder& b) { b.countOverride = 2; }},
      {"huge atlas with no pixels", [](ZfiBuilder& b) { b.atlasW = b.atlasH = 65535; }},
      {"truncated atlas", [](ZfiBuilder& b) { b.atlasBytesDelta = -1; }},
      {"trailing bytes", [](ZfiBuilder& b) { b.atlasBytesDelta = 1; }},
      {"glyph past the right edge", [](ZfiBuilder& b) { b.glyphs[2].x = 5; }},
      {"glyph past the bottom edge", [](ZfiBuilder& b) { b.glyphs[1].y = 1; }},
      {"glyph x near 65535 (no wrap)", [](ZfiBuilder& b) { b.glyphs[1].x = 65535; }},
      {"codepoint beyond Unicode", [](ZfiBuilder& b) { b.glyphs[2].codepoint = 0x110000; }},
      {"unsorted table", [](ZfiBuilder& b) { std::swap(b.glyphs[0], b.glyphs[1]); }},
      {"duplicate codepoint", [](ZfiBuilder& b) { b.glyphs[1].codepoint = ' '; }},
      {"negative advance", [](ZfiBuilder& b) { b.glyphs[1].advance = -6; }},
  };
  for (const Case& c : cases) {
    ZfiBuilder b;
    c.mutate(b);
    ZglFontData out;
    out.lineHeight = 77;  // sentinel: a rejected parse must not touch it
    EXPECT_FALSE(ParseExact(b.Bytes(), out)) << c.name;
    EXPECT_EQ(out.lineHeight, 77) << c.name;
    EXPECT_TRUE(out.glyphs.empty()) << c.name;
  }

  ZglFontData out;
  EXPECT_FALSE(zglFontParse(nullptr, 0, out));
  // Every proper prefix is a truncated header, glyph table or atlas.
  const std::vector<uint8_t> whole = ZfiBuilder().Bytes();
  for (size_t n = 0; n < whole.size(); ++n) {
    EXPECT_FALSE(ParseExact(std::vector<uint8_t>(whole.begin(), whole.begin() + n), out)) << n << " bytes";
  }
  EXPECT_EQ(out.lineHeight, 0);
}

TEST(FontFind, FindsByBinarySearch) {
  const ZglFontData f = Fixture();
  for (uint32_t cp : {uint32_t(' '), uint32_t('A'), uint32_t(0x41C)}) {
    ASSERT_NE(f.Find(cp), nullptr) << cp;
    EXPECT_EQ(f.Find(cp)->codepoint, cp);
  }
  for (uint32_t cp : {0u, 0x1Fu, 0x21u, 0x42u, 0x41Bu, 0x41Du, 0x10FFFFu}) {
    EXPECT_EQ(f.Find(cp), nullptr) << cp;
  }
  EXPECT_EQ(ZglFontData().Find('A'), nullptr);
}

TEST(Utf8, DecodesAndReplacesMalformedSequences) {
  const uint32_t R = 0xFFFD;
  struct Case {
    const char* text;
    std::vector<uint32_t> want;
  };
  const Case cases[] = {
      {"", {}},
      {"A+3", {'A', '+', '3'}},
      {"Меню", {0x41C, 0x435, 0x43D, 0x44E}},
      {"Ёё", {0x401, 0x451}},
      {"\xE2\x82\xAC", {0x20AC}},           // three bytes
      {"\xF0\x9F\x98\x80", {0x1F600}},      // four bytes
      {"\x80" "A", {R, 'A'}},               // stray continuation
      {"\xC0\xAF", {R, R}},                 // overlong '/': bad lead, then a stray
      {"\xE0\x80\xAF", {R}},                // overlong three-byte
      {"\xF0\x80\x80\xAF", {R}},            // overlong four-byte
      {"\xED\xA0\x80", {R}},                // surrogate
      {"\xF4\x90\x80\x80", {R}},            // beyond U+10FFFF
      {"\xFF" "A", {R, 'A'}},               // never a lead byte
      {"\xD0" "A", {R, 'A'}},               // cut short mid-text: resume at A
      {"\xE2\x82" "A", {R, 'A'}},
      {"A\xD0", {'A', R}},                  // cut short at the end
      {"\xF0\x9F\x98", {R}},
  };
  for (const Case& c : cases) {
    // A heap copy of exactly the string and its terminator: reading past the
    // terminator trips AddressSanitizer.
    const size_t n = std::strlen(c.text) + 1;
    std::unique_ptr<char[]> s(new char[n]);
    std::memcpy(s.get(), c.text, n);
    EXPECT_EQ(zglDecodeUtf8(s.get()), c.want) << "case " << (&c - cases);
  }
  EXPECT_TRUE(zglDecodeUtf8(nullptr).empty());
}

// Fixture metrics: line 10, ascent 8; 'A' is 4x6 at offset (1, -6) with
// advance 6; М is 4x5 at (0, -5) with advance 5; space advances 4.
TEST(FontLayout, PlacesGlyphsByPenAndBaseline) {
  const ZglFontData f = Fixture();
  struct Case {
    const char* name;
    const char* text;
    float scale, step;
    uint32_t flags;
    std::vector<float> xs;  // dstX of each quad
    float y;                // dstY of the A quads
  };
  const Case cases[] = {
      // Top-left at (100, 50): baseline 58, A's top 52; pens 100, 106.
      {"top-left", "AA", 1, 0, 0, {101, 107}, 52},
      // Width 12 -> left 94.
      {"centred horizontally", "AA", 1, 0, 0x02, {95, 101}, 52},
      // Top 50 - 5 = 45, baseline 53, A's top 47.
      {"centred vertically", "AA", 1, 0, 0x20, {101, 107}, 47},
      {"centred both", "AA", 1, 0, 0x22, {95, 101}, 47},
      // Step 3 between glyphs: width 6 + 3 + 6 = 15, left 92.5 snapped to 93.
      {"step", "AA", 1, 3, 0x02, {94, 103}, 52},
      // Scale 2: width 24, left 88; baseline 50 + 16, top 66 - 12.
      {"scale 2 centred", "AA", 2, 0, 0x02, {90, 102}, 54},
      // The space advances 4 without a quad.
      {"space", "A A", 1, 0, 0, {101, 111}, 52},
      // U+4E2D is not in the font: no quad, no room, no step.
      {"missing glyph", "A\xE4\xB8\xAD" "A", 1, 3, 0x02, {94, 103}, 52},
      {"malformed byte", "A\xFF" "A", 1, 0, 0x02, {95, 101}, 52},
      // М then A: pens 100, 105.
      {"cyrillic", "МA", 1, 0, 0, {100, 106}, 52},
  };
  for (const Case& c : cases) {
    const std::vector<ZglGlyphQuad> quads = zglLayoutText(f, c.text, 100, 50, c.scale, c.step, c.flags);
    ASSERT_EQ(quads.size(), c.xs.size()) << c.name;
    for (size_t i = 0; i < quads.size(); ++i) {
      EXPECT_FLOAT_EQ(quads[i].dstX, c.xs[i]) << c.name << " quad " << i;
    }
    const ZglGlyphQuad& last = quads.back();
    EXPECT_FLOAT_EQ(last.dstY, c.y) << c.name;
    EXPECT_FLOAT_EQ(last.dstW, 4 * c.scale) << c.name;
    EXPECT_FLOAT_EQ(last.dstH, 6 * c.scale) << c.name;
    EXPECT_FLOAT_EQ(last.srcW, 4) << c.name;
    EXPECT_FLOAT_EQ(last.srcH, 6) << c.name;
  }
}

TEST(FontLayout, NothingToDrawGivesNoQuads) {
  const ZglFontData f = Fixture();
  for (const char* text : {"", " ", "\xE4\xB8\xAD\xE4\xB8\xAD", "\xFF"}) {
    EXPECT_TRUE(zglLayoutText(f, text, 10, 10, 1, 0, 0x22).empty()) << text;
  }
  EXPECT_TRUE(zglLayoutText(f, nullptr, 10, 10, 1, 0, 0x22).empty());
  EXPECT_TRUE(zglLayoutText(ZglFontData(), "A", 10, 10, 1, 0, 0x22).empty());
}
