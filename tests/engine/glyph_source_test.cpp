#include <gtest/gtest.h>

#include <locale.h>
#include <wchar.h>

#include <random>

#include "../support/unifont_hex.h"
#include "morvexa/cp936.h"
#include "text/glyph_source.h"

namespace morvexa {
namespace {

using testing_support::HexGlyph;

HexGlyph Pixels(const GlyphImage& image) {
  HexGlyph out;
  out.width = image.width;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (image.Inked(x, y)) out.rows[static_cast<std::size_t>(y)] |= static_cast<std::uint16_t>(0x8000u >> x);
    }
  }
  return out;
}

class BuiltInGlyphsTest : public testing::Test {
 protected:
  void SetUp() override {
    hex_ = testing_support::ReadUnifontHex();
    if (!hex_) GTEST_FAIL() << testing_support::kUnifontHex << " is not installed, though scripts/test installs it";
  }

  // What the built-in font should draw c with: Unifont's glyph, as wide
  // as Unifont draws it (the GB2312 font holds the same 16-column glyphs).
  HexGlyph Expected(char32_t c) const { return hex_->at(c); }

  void ExpectUnifontGlyph(char32_t c) {
    SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<unsigned>(c));
    const auto image = glyphs_.Find(c);
    ASSERT_TRUE(image);
    const HexGlyph expected = Expected(c);
    EXPECT_EQ(image->height, 16);
    EXPECT_EQ(image->advance, expected.width);
    EXPECT_EQ(image->left, 0);
    EXPECT_EQ(image->top, 0);
    EXPECT_EQ(Pixels(*image).width, expected.width);
    EXPECT_EQ(Pixels(*image).rows, expected.rows);
  }

  std::optional<testing_support::HexFont> hex_;
  BuiltInGlyphs glyphs_;
};

TEST_F(BuiltInGlyphsTest, RandomCharactersOfManyScriptsHaveUnifontsGlyphs) {
  const std::pair<char32_t, char32_t> ranges[] = {
      {0x20, 0x7E},     {0xA0, 0x24F},    // Latin
      {0x4E00, 0x9FFF},                   // CJK, simplified and traditional
      {0xAC00, 0xD7A3},                   // Hangul
      {0x3041, 0x30FF},                   // kana
      {0x0391, 0x03C9}, {0x0410, 0x044F}  // Greek, Cyrillic
  };
  const auto marks = testing_support::ReadUnifontCombining();
  std::mt19937 random(2026);
  int gb2312 = 0, other = 0;
  for (const auto& [first, last] : ranges) {
    std::uniform_int_distribution<char32_t> pick(first, last);
    for (int n = 0; n < 50; ++n) {
      const char32_t c = pick(random);
      if (!hex_->contains(c) || marks.contains(c)) continue;
      ExpectUnifontGlyph(c);
      ++(testing_support::IsGb2312(c) ? gb2312 : other);
    }
  }
  EXPECT_GT(gb2312, 50);
  EXPECT_GT(other, 150);
}

TEST_F(BuiltInGlyphsTest, NamedTextsHaveUnifontsGlyphs) {
  for (const char* text : {"Hello 2026 世界!", "繁體中文", "한글かな"}) {
    const std::u32string characters = *cp936::Utf8Decode(text);
    for (char32_t c : characters) ExpectUnifontGlyph(c);
  }
  // ASCII is half width; so is a letter both in GB2312 and in Unifont at 8
  // columns, drawn from Unifont rather than centered in the GB2312 font's 16.
  EXPECT_EQ(glyphs_.Find(U'A')->width, 8);
  EXPECT_EQ(glyphs_.Find(U'\u03B1')->width, 8);  // α
  EXPECT_FALSE(BuiltInGlyphs::FromGlyphFont(U'\u03B1'));
  EXPECT_TRUE(BuiltInGlyphs::FromGlyphFont(U'中'));
  EXPECT_FALSE(BuiltInGlyphs::FromGlyphFont(U'體'));
  EXPECT_FALSE(BuiltInGlyphs::FromGlyphFont(U'A'));
}

TEST_F(BuiltInGlyphsTest, EveryGb2312CharacterIsAsWideAsUnifontDrawsIt) {
  // Over the whole GB2312 grid: é, Ελλάδα and Европа are as narrow as
  // Unifont draws them; 中 and the full-width forms keep the 16x16 font.
  int narrow = 0, wide = 0;
  for (const auto& [c, glyph] : *hex_) {
    if (!testing_support::IsGb2312(c)) continue;
    SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<unsigned>(c));
    const auto image = glyphs_.Find(c);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->advance, glyph.width);
    ASSERT_EQ(BuiltInGlyphs::FromGlyphFont(c), glyph.width == 16);
    ++(glyph.width == 8 ? narrow : wide);
  }
  EXPECT_GT(narrow, 150);  // the Greek and Cyrillic letters, at least
  EXPECT_GT(wide, 7000);
}

TEST_F(BuiltInGlyphsTest, MarksFallOverTheCharacterBefore) {
  const auto marks = testing_support::ReadUnifontCombining();
  struct Case {
    char32_t c;
    int left;
  };
  // Offsets as Unifont gives them, but those it places for right-to-left
  // text; the Hangul vowels and final consonants over a whole syllable.
  const Case cases[] = {{U'\u0301', marks.at(U'\u0301')},
                        {U'\u20DD', marks.at(U'\u20DD')},
                        {U'\u3099', marks.at(U'\u3099')},
                        {U'\u05B0', -8},
                        {U'\u1161', -16},
                        {U'\u11AB', -16}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<unsigned>(c.c));
    EXPECT_EQ(ClassifyCharacter(c.c), CharacterKind::Mark);
    const auto image = glyphs_.Find(c.c);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->advance, 0);
    EXPECT_EQ(image->left, c.left);
    EXPECT_EQ(Pixels(*image).rows, hex_->at(c.c).rows);
  }
}

TEST_F(BuiltInGlyphsTest, ControlsAndCharactersOutsideUnifontHaveNone) {
  for (char32_t c : {U'\t', U'\r', U'\x7F', U'\x85', U'\uE000', char32_t{0xD800}, U'\U0001F600', U'\U000F00B0'}) {
    EXPECT_FALSE(glyphs_.Find(c)) << std::hex << static_cast<unsigned>(c);
  }
  // Invisible characters, which Unifont draws as boxes, take no room.
  for (char32_t c : {U'\u200B', U'\u2060', U'\uFEFF'}) {
    ASSERT_TRUE(hex_->contains(c));
    EXPECT_EQ(glyphs_.Find(c)->width, 0);
    EXPECT_EQ(glyphs_.Find(c)->advance, 0);
  }
}

TEST(ClassifyCharacter, AgreesWithGlibcAndUnifontOverThePlane) {
  // Marks as Unifont lists them (and the conjoining Hangul vowels and
  // final consonants); no width as glibc gives it in a UTF-8 locale.
  const auto marks = testing_support::ReadUnifontCombining();
  if (marks.empty())
    GTEST_FAIL() << testing_support::kUnifontCombining << " is not installed, though scripts/test installs it";
  const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  ASSERT_NE(utf8, locale_t{});
  const locale_t before = uselocale(utf8);
  int differing = 0;
  for (char32_t c = 0; c < 0x10000 && differing < 10; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const bool hangul = (c >= 0x1161 && c <= 0x11FF) || (c >= 0xD7B0 && c <= 0xD7C6) || (c >= 0xD7CB && c <= 0xD7FB);
    const CharacterKind expected = c < 0x20 || (c >= 0x7F && c < 0xA0)     ? CharacterKind::Control
                                   : marks.contains(c) || hangul           ? CharacterKind::Mark
                                   : wcwidth(static_cast<wchar_t>(c)) == 0 ? CharacterKind::Invisible
                                                                           : CharacterKind::Spacing;
    if (ClassifyCharacter(c) != expected) {
      ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(c);
      ++differing;
    }
  }
  uselocale(before);
  freelocale(utf8);
}

}  // namespace
}  // namespace morvexa
