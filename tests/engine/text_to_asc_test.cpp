#include <gtest/gtest.h>

#include "../support/art.h"
#include "../support/failure_matchers.h"
#include "../support/unifont_hex.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"
#include "morvexa/text_to_asc.h"

namespace morvexa {
namespace {

using Entries = std::vector<ByteString>;

const ByteString kBian = "\xB1\xE0";               // 编
const ByteString kBianCheng = "\xB1\xE0\xB3\xCC";  // 编程
const ByteString kZi = "\xD7\xD6";                 // 字

struct Converted {
  TextToAscResult result;
  MemoryArtArea area;
  MemoryCharList list;
};

Converted Convert(ByteStringView text, ByteStringView fore, ByteStringView back) {
  Converted c{TextToAscResult::Done, MemoryArtArea("before\r\n"), {}};
  c.list.Add("old");
  c.result = TextToAsc(text, fore, back, c.list, c.area);
  return c;
}

ByteString Repeat(ByteStringView s, int n) {
  ByteString out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(TextToAsc, DrawsSixteenLinesWithTheDefaultSymbols) {
  const Converted c = Convert(kBianCheng, "$", " ");
  ASSERT_EQ(c.result, TextToAscResult::Done);
  ASSERT_EQ(c.area.LineCount(), 16u);
  bool anyInk = false;
  for (const auto& line : testing_support::Lines(c.area)) {
    EXPECT_EQ(line.size(), 32u);
    EXPECT_EQ(line.find_first_not_of("$ "), ByteString::npos);
    anyInk |= line.find('$') != ByteString::npos;
  }
  EXPECT_TRUE(anyInk);
  EXPECT_EQ(c.area.Text().size(), 544u);
  EXPECT_EQ(c.list.Entries(), (Entries{"$", " "}));
}

TEST(TextToAsc, GlyphRowsBecomeSymbols) {
  // The first row of 字 inks only pixel 6.
  EXPECT_EQ(Convert(kZi, "#", ".").area.GetLine(0), "......#.........");
  EXPECT_EQ(Convert(kBian, "#", " ").area.GetLine(5).size(), 16u);
}

TEST(TextToAsc, SymbolsAreWidenedAndOneByteOnesListed) {
  struct Case {
    const char* name;
    ByteString text, fore, back;
    ByteString firstLine;
    Entries list;
  };
  const Case cases[] = {
      {"self character draws with the character", kZi, kZi, " ", Repeat("  ", 6) + kZi + Repeat("  ", 9), {" "}},
      {"two-byte foreground doubles the background", kZi, "ab", "c", Repeat("cc", 6) + "ab" + Repeat("cc", 9), {"c"}},
      {"the same symbol twice is listed twice", kZi, "%", "%", Repeat("%", 16), {"%", "%"}},
      {"empty foreground draws nothing for ink", kZi, "", " ", Repeat(" ", 15), {" "}},
      {"background 字 is just a symbol", kZi, "$", kZi, Repeat(kZi, 6) + "$$" + Repeat(kZi, 9), {"$"}},
      {"only the first two bytes count", kZi, "abc", "xyz", Repeat("xy", 6) + "ab" + Repeat("xy", 9), {}},
      {"a lone lead byte is not listed", kZi, "\xB1", "-", Repeat("-", 6) + "\xB1" + Repeat("-", 9), {"-"}},
      {"both empty", kZi, "", "", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Converted out = Convert(c.text, c.fore, c.back);
    ASSERT_EQ(out.result, TextToAscResult::Done);
    ASSERT_EQ(out.area.LineCount(), 16u);
    EXPECT_EQ(out.area.GetLine(0), c.firstLine);
    EXPECT_EQ(out.list.Entries(), c.list);
  }
}

TEST(TextToAsc, SelfCharacterDrawsEachCharacterWithItself) {
  const Converted c = Convert(kBianCheng, kZi, ".");
  for (const auto& line : testing_support::Lines(c.area)) {
    ASSERT_EQ(line.size(), 64u);
    EXPECT_EQ(line.substr(0, 32).find_first_not_of(". \xB1\xE0"), ByteString::npos) << "only 编 in its own glyph";
    EXPECT_EQ(line.substr(32).find_first_not_of(". \xB3\xCC"), ByteString::npos) << "only 程 in its own glyph";
  }
  EXPECT_EQ(c.list.Entries(), (Entries{"."}));
}

TEST(TextToAsc, RefusalsChangeNothing) {
  struct Case {
    const char* name;
    ByteString text;
    TextToAscResult result;
  };
  const Case cases[] = {
      {"empty", "", TextToAscResult::EmptyText},
      {"ASCII letters", "abc", TextToAscResult::NotChinese},
      {"a letter after a character", kBian + "a", TextToAscResult::NotChinese},
      {"a letter before a character", "a" + kBian, TextToAscResult::NotChinese},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Converted out = Convert(c.text, "$", " ");
    EXPECT_EQ(out.result, c.result);
    EXPECT_EQ(out.area.Text(), "before\r\n");
    EXPECT_EQ(out.list.Entries(), (Entries{"old"}));
  }
}

TEST(TextToAsc, TrailingLeadByteIsIgnored) {
  const Converted c = Convert(kBian + "\xB1", "#", " ");
  ASSERT_EQ(c.result, TextToAscResult::Done);
  EXPECT_EQ(c.area.GetLine(0), Convert(kBian, "#", " ").area.GetLine(0));
}

TEST(TextToAsc, LowTrailByteDrawsTheGlyphItReaches) {
  const Converted c = Convert("\xB0\x40", "#", ".");
  ASSERT_EQ(c.result, TextToAscResult::Done);
  EXPECT_EQ(c.area.LineCount(), 16u);
}

// Characters of code page 936 outside GB2312 (Traditional ones among them)
// are drawn with their own glyphs, as GNU Unifont draws them, rather than
// with the glyph their codes reach in the 16x16 font.
TEST(TextToAsc, CharactersOutsideGb2312AreDrawnWithTheirOwnGlyphs) {
  const auto unifont = testing_support::ReadUnifontHex();
  if (!unifont) GTEST_FAIL() << "the unifont package is not installed, though scripts/test installs it";
  struct Case {
    ByteString text;
    char32_t c;
  };
  const Case cases[] = {
      {"\xF3\x77", U'體'}, {"\x81\x47", U'丟'}, {"\xBE\x8E", U'編'},
      {"\xA8\x95", U'〞'}, {"\xA8\x40", U'ˊ'},  // a glyph of 8 columns
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<unsigned>(c.c));
    const Converted drawn = Convert(c.text, "#", ".");
    ASSERT_EQ(drawn.result, TextToAscResult::Done);
    const testing_support::HexGlyph& glyph = unifont->at(c.c);
    const int offset = glyph.width == 8 ? 4 : 0;  // a narrow glyph stands in the middle
    for (int y = 0; y < 16; ++y) {
      std::string expected(16, '.');
      for (int x = 0; x < glyph.width; ++x) {
        if (glyph.Inked(x, y)) expected[static_cast<std::size_t>(offset + x)] = '#';
      }
      EXPECT_EQ(drawn.area.GetLine(static_cast<std::size_t>(y)), expected) << "row " << y;
    }
  }
}

TEST(TextToAsc, FontFailuresLeaveTheNewListAndAnEmptyArea) {
  struct Case {
    const char* name;
    ByteString text;
  };
  const Case cases[] = {
      {"lead byte past the font", "\xF8\xA1"},
      {"lead byte below the font, no character", "\x81\x7F"},
      {"good character before a bad one", kBian + "\xFE\xFE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryArtArea area("before\r\n");
    MemoryCharList list;
    list.Add("old");
    EXPECT_FAILURE(TextToAsc(c.text, "#", " ", list, area), "Stream read error");
    EXPECT_EQ(area.Text(), "");
    EXPECT_EQ(list.Entries(), (Entries{"#", " "}));
  }
}

}  // namespace
}  // namespace morvexa
