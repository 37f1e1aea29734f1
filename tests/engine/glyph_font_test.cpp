#include <gtest/gtest.h>

#include <algorithm>

#include "../support/failure_matchers.h"
#include "text/glyph_font.h"

namespace morvexa {
namespace {

bool AllZero(GlyphFont::GlyphBytes glyph) {
  return std::ranges::all_of(glyph, [](unsigned char b) { return b == 0; });
}

TEST(GlyphFont, BuiltInFontHasTheGb2312Layout) {
  const GlyphFont font = GlyphFont::Open();
  EXPECT_EQ(font.GlyphCount(), 8178u);
  const auto zi = font.Glyph(0xD7, 0xD6);  // 字
  EXPECT_EQ(zi[0], 0x02);
  EXPECT_EQ(zi[1], 0x00);
  EXPECT_TRUE(AllZero(font.Glyph(0xA1, 0xA1)));   // the ideographic space
  EXPECT_FALSE(AllZero(font.Glyph(0xB1, 0xE0)));  // 编
  for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
    EXPECT_TRUE(AllZero(font.Glyph(0xAC, static_cast<unsigned char>(trail))));
  }
}

TEST(GlyphFont, LookupWrapsBytesAndFailsOnlyPastTheEnd) {
  const GlyphFont font = GlyphFont::Open();
  const unsigned char* base = font.Glyph(0xA1, 0xA1).data();
  auto index = [&](unsigned char b1, unsigned char b2) { return (font.Glyph(b1, b2).data() - base) / 32; };
  EXPECT_EQ(index(0xF7, 0xFE), 8177);          // the last glyph
  EXPECT_EQ(index(0xB0, 0x40), 15 * 94 + 31);  // a low trail byte stays in its zone
  EXPECT_EQ(index(0xB0, 0x7F), 15 * 94 + 94);  // position 94 reaches the next zone
  EXPECT_EQ(index(0xA1, 0x7E), 93);
  for (auto [b1, b2] : {std::pair{0xF8, 0xA1}, {0x81, 0x40}, {0xA0, 0xA1}, {0xF7, 0xFF}, {0xFE, 0xFE}}) {
    SCOPED_TRACE(testing::Message() << std::hex << b1 << " " << b2);
    EXPECT_FAILURE(font.Glyph(static_cast<unsigned char>(b1), static_cast<unsigned char>(b2)), "Stream read error");
  }
}

TEST(GlyphFont, RowPixelsRunFromTheHighBitOfTheLeftByte) {
  unsigned char data[32] = {};
  data[6] = 0x80;
  data[7] = 0x01;
  const GlyphFont font({data, sizeof data});
  const auto bits = GlyphFont::RowBits(font.Glyph(0xA1, 0xA1), 3);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(GlyphFont::IsInked(bits, x), x == 0 || x == 15) << "pixel " << x;
  EXPECT_THROW((void)font.Glyph(0xA1, 0xA2), Failure);  // only one glyph in this font
}

TEST(GlyphFont, MissingFontIsReportedByName) {
  EXPECT_FAILURE(GlyphFont::Open("chs16-missing"), "Resource chs16-missing not found");
}

}  // namespace
}  // namespace morvexa
