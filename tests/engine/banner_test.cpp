#include <gtest/gtest.h>

#include <random>

#include "../support/art.h"
#include "../support/failure_matchers.h"
#include "../support/unifont_hex.h"
#include "morvexa/art_size.h"
#include "morvexa/cp936.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"
#include "text/banner.h"

namespace morvexa {
namespace {

using testing_support::HexGlyph;
using testing_support::Lines;

std::u32string U32(const char* utf8) { return *cp936::Utf8Decode(utf8); }

struct Drawn {
  MemoryArtArea area;
  std::vector<BannerRow> rows;
};

Drawn Draw(std::u32string_view text, const TextSymbols& symbols = {"#", ".", false}, BannerOptions options = {}) {
  Drawn d;
  BuiltInGlyphs glyphs;
  d.rows = DrawBanner(text, glyphs, symbols, options, d.area);
  return d;
}

// Random text of GB2312 characters, in code page 936.
ByteString RandomGb2312(std::mt19937& random, int characters) {
  std::uniform_int_distribution<int> lead(0xA1, 0xF7), trail(0xA1, 0xFE);
  ByteString text;
  while (static_cast<int>(text.size()) < 2 * characters) {
    const ByteString code{static_cast<char>(lead(random)), static_cast<char>(trail(random))};
    const std::u32string decoded = cp936::Decode(code);
    if (decoded.size() == 1 && BuiltInGlyphs::FromGlyphFont(decoded[0])) text += code;
  }
  return text;
}

TEST(Banner, Gb2312TextIsDrawnAsTextToAscDrawsIt) {
  struct Symbols {
    ByteString fore, back;
  };
  const Symbols symbols[] = {
      {"$", " "},  {"#", "."}, {"\xD7\xD6", " "}, {"\xD7\xD6", "\xA1\xA1"}, {"\xA1\xF6", "\xA1\xA1"},
      {"ab", "c"}, {"", " "},  {"", ""}};
  std::mt19937 random(936);
  for (int n = 0; n < 40; ++n) {
    const ByteString text = RandomGb2312(random, 1 + n % 12);
    for (const auto& [fore, back] : symbols) {
      for (const bool colored : {false, true}) {
        SCOPED_TRACE(testing::Message() << cp936::ToUtf8(text) << " fore " << cp936::ToUtf8(fore) << " back "
                                        << cp936::ToUtf8(back) << (colored ? " colored" : ""));
        MemoryArtArea expected, drawn;
        if (colored) expected.KeepColors(), drawn.KeepColors();
        MemoryCharList list;
        const TextColors colors{0x123456, 0xABCDEF};
        ASSERT_EQ(TextToAsc(text, fore, back, list, expected, colors), TextToAscResult::Done);
        BuiltInGlyphs glyphs;
        BannerOptions options;
        options.colors = colors;
        DrawBanner(cp936::Decode(text), glyphs, MakeTextSymbols(fore, back), options, drawn);
        ASSERT_EQ(drawn.Text(), expected.Text());
        std::vector<Rgb> expectedColors, drawnColors, paper;
        for (std::size_t i = 0; colored && i < expected.LineCount(); ++i) {
          expected.ColorsOf(i, expectedColors, paper);
          drawn.ColorsOf(i, drawnColors, paper);
          ASSERT_EQ(drawnColors, expectedColors) << "line " << i;
        }
      }
    }
  }
}

// The 16 lines of glyphs side by side, "#" for ink and "." for blank.
std::vector<ByteString> SideBySide(const std::vector<HexGlyph>& glyphs) {
  std::vector<ByteString> lines(16);
  for (const HexGlyph& glyph : glyphs) {
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < glyph.width; ++x) lines[static_cast<std::size_t>(y)] += glyph.Inked(x, y) ? '#' : '.';
    }
  }
  return lines;
}

TEST(Banner, TextsOfManyScriptsAreUnifontsGlyphsSideBySide) {
  const auto hex = testing_support::ReadUnifontHex();
  if (!hex) GTEST_FAIL() << testing_support::kUnifontHex << " is not installed, though scripts/test installs it";
  for (const char* text : {"Hello 2026 世界!", "繁體中文", "한글かな"}) {
    SCOPED_TRACE(text);
    std::vector<HexGlyph> glyphs;
    for (char32_t c : U32(text)) {
      glyphs.push_back(hex->at(c));
    }
    EXPECT_EQ(Lines(Draw(U32(text)).area), SideBySide(glyphs));
  }
  // A mark is drawn over the character before: e and the acute accent in
  // the same 8 columns.
  HexGlyph accented = hex->at(U'e');
  for (std::size_t r = 0; r < 16; ++r) accented.rows[r] |= hex->at(U'\u0301').rows[r];
  EXPECT_EQ(Lines(Draw(U"e\u0301").area), SideBySide({accented}));
  EXPECT_EQ(Lines(Draw(U"a\u200Bb").area), Lines(Draw(U"ab").area));
}

TEST(Banner, EachRowOfTextIsARowOfBannerUnderTheOneBefore) {
  struct Case {
    const char* text;
    std::vector<std::size_t> rowWidths;  // in columns
  };
  const Case cases[] = {
      {"一\n二", {16, 16}}, {"一\r\n二", {16, 16}}, {"一\n", {16}}, {"一\n\n二", {16, 0, 16}}, {"\n", {0}}, {"", {}},
      {"ab\n世", {16, 16}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Drawn d = Draw(U32(c.text));
    ASSERT_EQ(d.rows.size(), c.rowWidths.size());
    EXPECT_EQ(d.area.LineCount(), 16 * c.rowWidths.size());
    for (std::size_t k = 0; k < d.rows.size(); ++k) {
      EXPECT_EQ(d.rows[k].firstLine, 16 * k);
      EXPECT_EQ(d.rows[k].lineCount, 16u);
      for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(d.area.GetLine(16 * k + i).size(), c.rowWidths[k]);
    }
  }
  const Drawn d = Draw(U"一\n二");
  EXPECT_EQ(Lines(d.area), [] {
    auto lines = Lines(Draw(U"一").area);
    for (const auto& line : Lines(Draw(U"二").area)) lines.push_back(line);
    return lines;
  }());
  EXPECT_EQ(d.rows[1].firstCharacter, 2u);
  EXPECT_EQ(d.rows[1].characterCount, 1u);
}

TEST(Banner, ScaleAndSquareRepeatEachPixel) {
  const std::u32string text = U"Aa字";
  const auto plain = Lines(Draw(text).area);
  for (const int scale : {1, 2, 3, 8}) {
    for (const bool square : {false, true}) {
      for (const TextSymbols& symbols : {TextSymbols{"#", ".", false}, TextSymbols{"##", "..", false}}) {
        SCOPED_TRACE(testing::Message() << "scale " << scale << (square ? " square" : "") << " " << symbols.ink);
        BannerOptions options;
        options.scale = scale;
        options.square = square;
        const Drawn d = Draw(text, symbols, options);
        ASSERT_EQ(d.area.LineCount(), 16u * static_cast<unsigned>(scale));
        const std::size_t repeat = static_cast<std::size_t>(scale) * (square ? 2 : 1) * symbols.ink.size();
        for (std::size_t i = 0; i < d.area.LineCount(); ++i) {
          ByteString expected;
          for (char pixel : plain[i / static_cast<std::size_t>(scale)]) expected += ByteString(repeat, pixel);
          ASSERT_EQ(d.area.GetLine(i), expected) << "line " << i;
        }
      }
    }
  }
}

TEST(Banner, WideTextWrapsBetweenCharacters) {
  struct Case {
    const char* name;
    std::u32string text;
    std::size_t wrapColumns;
    bool square;
    std::vector<std::size_t> charactersPerRow;
  };
  const Case cases[] = {
      {"no wrap", U"世界世界世", 0, false, {5}},
      {"two fit in 40 columns", U"世界世界世", 40, false, {2, 2, 1}},
      {"exactly two", U"世界世界世", 32, false, {2, 2, 1}},
      {"square pixels take two columns", U"世界世界世", 64, true, {2, 2, 1}},
      {"narrower than a character", U"世界世", 5, false, {1, 1, 1}},
      {"half and full width", U"ab世cd", 24, false, {2, 2, 1}},
      {"a mark stays with its character", U"ae\u0301e\u0301", 16, false, {3, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BannerOptions options;
    options.wrapColumns = c.wrapColumns;
    options.square = c.square;
    const Drawn d = Draw(c.text, {"#", ".", false}, options);
    ASSERT_EQ(d.rows.size(), c.charactersPerRow.size());
    std::size_t first = 0;
    for (std::size_t k = 0; k < d.rows.size(); ++k) {
      EXPECT_EQ(d.rows[k].firstCharacter, first);
      EXPECT_EQ(d.rows[k].characterCount, c.charactersPerRow[k]);
      const std::u32string_view part = std::u32string_view(c.text).substr(first, c.charactersPerRow[k]);
      BannerOptions alone;
      alone.square = c.square;
      // Each row is the banner of its own characters.
      for (std::size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(d.area.GetLine(16 * k + i), Draw(part, {"#", ".", false}, alone).area.GetLine(i));
      }
      if (c.wrapColumns != 0 && c.charactersPerRow[k] > 1) {
        EXPECT_LE(d.area.GetLine(16 * k).size(), c.wrapColumns);
      }
      first += c.charactersPerRow[k];
    }
  }
}

TEST(Banner, SelfCharacterDrawsEachCharacterWithItsOwnBytes) {
  const Drawn d = Draw(U"A體한", MakeTextSymbols(kSelfCharacter, " "));
  const ByteString ti = cp936::Encode(U"體");
  for (const auto& line : Lines(d.area)) {
    ASSERT_EQ(line.size(), 2u * (8 + 16 + 16));
    for (std::size_t x = 0; x < 8; ++x) EXPECT_TRUE(line.substr(2 * x, 2) == "AA" || line.substr(2 * x, 2) == "  ");
    for (std::size_t x = 8; x < 24; ++x) EXPECT_TRUE(line.substr(2 * x, 2) == ti || line.substr(2 * x, 2) == "  ");
    for (std::size_t x = 24; x < 40; ++x) EXPECT_TRUE(line.substr(2 * x, 2) == "??" || line.substr(2 * x, 2) == "  ");
  }
  EXPECT_NE(d.area.Text().find("AA"), ByteString::npos);
  EXPECT_NE(d.area.Text().find(ti), ByteString::npos);
  EXPECT_NE(d.area.Text().find("??"), ByteString::npos);
}

TEST(Banner, ACharacterWithoutAGlyphFailsBeforeAnyLine) {
  for (const std::u32string text : {U"a\U0001F600", U"a\tb", U"一\n\uE000"}) {
    BuiltInGlyphs glyphs;
    MemoryArtArea area("before\r\n");
    EXPECT_FAILURE(DrawBanner(text, glyphs, {"#", ".", false}, {}, area), "Stream read error");
    EXPECT_EQ(area.LineCount(), 0u);
  }
}

// A sink that keeps the parts a line comes in, and joins them.
class PartedSink final : public ArtSink {
 public:
  void Clear() override {}
  void WriteLine(std::size_t, ByteStringView line) override { lines.emplace_back(line), inks.emplace_back(); }
  CellColors Colors() const override { return CellColors::Own; }
  void WriteColoredLine(std::size_t, ByteStringView line, LineColors colors) override {
    lines.emplace_back(line);
    inks.emplace_back(colors.ink.begin(), colors.ink.end());
  }
  void WriteLinePart(ByteStringView part, LineColors colors) override {
    largestPart = std::max(largestPart, part.size());
    ++parts;
    current += part;
    currentInk.insert(currentInk.end(), colors.ink.begin(), colors.ink.end());
  }
  void EndLine(std::size_t) override {
    lines.push_back(current), inks.push_back(currentInk);
    current.clear(), currentInk.clear();
  }

  std::vector<ByteString> lines;
  std::vector<std::vector<Rgb>> inks;
  ByteString current;
  std::vector<Rgb> currentInk;
  std::size_t parts = 0, largestPart = 0;
};

TEST(Banner, ALineTooLongToHoldIsWrittenInPartsThatJoinIntoIt) {
  std::u32string text;
  while (text.size() < 6000) text += U"世a界b";
  for (const TextSymbols& symbols : {TextSymbols{"#", ".", false}, MakeTextSymbols(kSelfCharacter, " ")}) {
    SCOPED_TRACE(symbols.ink);
    BannerOptions options;
    options.scale = 2;
    options.colors = {0x123456, 0xABCDEF};
    MemoryArtArea whole;
    whole.KeepColors();
    BuiltInGlyphs glyphs;
    DrawBanner(text, glyphs, symbols, options, whole);
    PartedSink parted;
    BuiltInGlyphs again;
    BannerLayout(text, again, symbols, options).Draw(parted, 64 << 10);
    ASSERT_EQ(parted.lines.size(), whole.LineCount());
    std::vector<Rgb> ink, paper;
    for (std::size_t i = 0; i < whole.LineCount(); ++i) {
      ASSERT_EQ(parted.lines[i], whole.GetLine(i)) << "line " << i;
      whole.ColorsOf(i, ink, paper);
      ASSERT_EQ(parted.inks[i], ink) << "line " << i;
    }
    EXPECT_GT(parted.parts, 2 * whole.LineCount()) << "each line in several parts";
    EXPECT_LT(parted.largestPart, std::size_t{80} << 10);
  }
}

TEST(Banner, ArtLargerThanArtMayBeIsFoundBeforeAnythingIsDrawn) {
  BannerOptions options;
  options.scale = 8;
  options.square = true;
  // 16 lines of 8 x 8 symbols, each pixel 16 symbols wide: 2,048 symbols a
  // pixel's column, 16,384 letters of 8 columns to 2^28.
  BuiltInGlyphs glyphs;
  const TextSymbols symbols{"#", ".", false};
  const std::u32string fits(16384, U'W'), over(16385, U'W');
  const BannerLayout fitting(fits, glyphs, symbols, options);
  EXPECT_FALSE(fitting.TooLarge());
  EXPECT_EQ(fitting.Symbols(), std::uint64_t{1} << 28);
  EXPECT_EQ(fitting.Size().columns, 16384u * 8 * 16);
  EXPECT_EQ(fitting.Size().lines, 128u);
  const BannerLayout large(over, glyphs, symbols, options);
  EXPECT_TRUE(large.TooLarge());
  EXPECT_GT(large.Symbols(), std::uint64_t{1} << 28);
  MemoryArtArea area("before\r\n");
  EXPECT_THROW(large.Draw(area), ArtTooLarge);
  EXPECT_EQ(area.Text(), "before\r\n");
  // Rows under one another count as much as one long row.
  std::u32string rows;
  for (int k = 0; k < 5; ++k) rows += std::u32string(4000, U'W') + U"\n";
  EXPECT_TRUE(BannerLayout(rows, glyphs, symbols, options).TooLarge());
}

}  // namespace
}  // namespace morvexa
