// Art that follows the picture's shapes: symbols matched to the pixels of
// their cells, cells of two colors, block elements, and the brightness ramp,
// checked against Unifont as the Debian package has it and against patterns
// drawn here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>

#include "../support/painted.h"
#include "../support/unifont_hex.h"
#include "morvexa/convert_picture.h"
#include "morvexa/cp936.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"
#include "morvexa/terminal_palette.h"
#include "pixels/picture_reader.h"

namespace morvexa {
namespace {

using testing_support::HexFont;

const HexFont& Unifont() {
  static const HexFont font = [] {
    auto read = testing_support::ReadUnifontHex();
    return read ? *read : HexFont{};
  }();
  return font;
}

using testing_support::Painted;

struct Converted {
  MemoryArtArea area;
  MemoryCharList list;
  std::vector<Rgb> ink, paper;  // of line 0, a byte each
};

Converted Convert(std::unique_ptr<PictureReader> picture, const PictureOptions& options, bool colors) {
  Converted c;
  if (colors) c.area.KeepColors();
  ConvertPicture(Picture(std::move(picture)), options, c.list, c.area);
  if (colors && c.area.LineCount() > 0) c.area.ColorsOf(0, c.ink, c.paper);
  return c;
}

// Text drawn in Unifont's glyphs, a cell of 8 x 16 pixels each, in ink on
// paper.
std::unique_ptr<PictureReader> Drawn(const std::string& text, Rgb ink, Rgb paper) {
  const HexFont& font = Unifont();
  return Painted(text.size() * 8, 16, [&](std::size_t x, std::size_t y) {
    const auto& glyph = font.at(static_cast<char32_t>(text[x / 8]));
    return glyph.Inked(static_cast<int>(x % 8), static_cast<int>(y)) ? ink : paper;
  });
}

PictureOptions Cells(std::size_t columns, std::size_t lines) {
  PictureOptions options;
  options.width = columns;
  options.height = lines;
  return options;
}

std::string AllSymbols() {
  std::string all;
  for (char c = ' '; c <= '~'; ++c) all += c;
  return all;
}

// A glyph's share of its cell that is inked.
double InkShare(char symbol) {
  int inked = 0;
  const auto& glyph = Unifont().at(static_cast<char32_t>(symbol));
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 8; ++x) inked += glyph.Inked(x, y);
  }
  return inked / 128.0;
}

class ArtByShape : public testing::Test {
 protected:
  void SetUp() override {
    if (Unifont().empty())
      GTEST_FAIL() << testing_support::kUnifontHex << " is not installed, though scripts/test installs it";
  }
};

TEST_F(ArtByShape, FilledTextDrawnInTheFontComesBackAsItself) {
  // In any two colors, either way round, and with the colors themselves as
  // the cells' ink and paper.
  const std::string text = AllSymbols();
  PictureOptions shapes = Cells(text.size(), 1);
  shapes.way = Shapes{true};
  for (const auto& [ink, paper] : {std::pair<Rgb, Rgb>{0xC01020, 0x2040F0}, {0xF0E0A0, 0x103010}}) {
    const Converted c = Convert(Drawn(text, ink, paper), shapes, true);
    ASSERT_EQ(c.area.GetLine(0), ByteString(text));
    for (std::size_t x = 1; x < text.size(); ++x) {  // the space has no ink to show
      EXPECT_EQ(c.ink[x], ink) << text[x];
      EXPECT_EQ(c.paper[x], paper) << text[x];
    }
    EXPECT_EQ(c.ink[0], paper) << "a cell of one color is a space on it";
    EXPECT_EQ(c.paper[0], paper);
  }
}

// Plain shapes keep the picture's tones: a gray ramp from white to black
// takes symbols of more and more ink (by Unifont's own glyphs), from clean
// paper to the densest; light on dark, the other way round.
TEST_F(ArtByShape, PlainShapesFollowTheTonesOfTheirCells) {
  constexpr std::size_t kSteps = 24;
  const auto ramp = [] {
    return Painted(8 * kSteps, 16, [](std::size_t x, std::size_t) {
      return static_cast<Rgb>(255 - x / 8 * 255 / (kSteps - 1)) * 0x010101;
    });
  };
  PictureOptions shapes = Cells(kSteps, 1);
  for (const bool invert : {false, true}) {
    SCOPED_TRACE(invert ? "light on dark" : "dark on light");
    shapes.way = Shapes{false, invert};
    const ByteString line = Convert(ramp(), shapes, false).area.GetLine(0);
    ASSERT_EQ(line.size(), kSteps);
    const char lightest = invert ? line.back() : line.front(), darkest = invert ? line.front() : line.back();
    EXPECT_EQ(lightest, ' ') << line;
    EXPECT_GE(InkShare(darkest), 0.2) << line;
    for (std::size_t x = 1; x < kSteps; ++x) {
      const char before = line[invert ? x : x - 1], after = line[invert ? x - 1 : x];
      EXPECT_LE(InkShare(before), InkShare(after) + 0.02) << line;
    }
  }
}

TEST_F(ArtByShape, EdgesFindTheSymbolsOfTheirDirection) {
  // A cell crossed by a thick stroke, between a black cell and a white
  // one.
  const std::pair<const char*, std::function<bool(int, int)>> strokes[] = {
      {"|!", [](int x, int) { return x == 3 || x == 4; }},
      {"-", [](int, int y) { return y == 8 || y == 9; }},
      {"_", [](int, int y) { return y >= 14; }},
      {"/", [](int x, int y) { return std::abs((15 - y) / 2 - x) <= 1; }},
      {"\\", [](int x, int y) { return std::abs(y / 2 - x) <= 1; }},
  };
  for (const auto& stroke : strokes) {
    const char* symbols = stroke.first;
    const auto& inked = stroke.second;
    SCOPED_TRACE(symbols);
    PictureOptions shapes = Cells(3, 1);
    shapes.way = Shapes{};
    const Converted c =
        Convert(Painted(24, 16,
                        [&](std::size_t x, std::size_t y) {
                          if (x < 8) return 0x000000u;
                          if (x >= 16) return 0xFFFFFFu;
                          return inked(static_cast<int>(x - 8), static_cast<int>(y)) ? 0x000000u : 0xFFFFFFu;
                        }),
                shapes, false);
    const ByteString line = c.area.GetLine(0);
    ASSERT_EQ(line.size(), 3u);
    EXPECT_NE(std::string_view(symbols).find(line[1]), std::string_view::npos) << line;
    EXPECT_EQ(line[2], ' ');
  }
}

// The symbols terminal fonts draw too unlike the built-in font, whose ink
// would not be where it was matched (tests/check_terminal_symbols.py finds
// them in DejaVu Sans Mono): plain shapes never use them.
TEST_F(ArtByShape, PlainShapesUseOnlySymbolsTerminalFontsDrawAlike) {
  PictureOptions shapes = Cells(60, 20);
  shapes.way = Shapes{};
  const ByteString art = Convert(Painted(480, 320,
                                         [](std::size_t x, std::size_t y) {
                                           const auto v = static_cast<Rgb>((x * 7 + y * 13 + (x * y) % 97) % 256);
                                           return v * 0x010101;
                                         }),
                                 shapes, false)
                             .area.Text();
  EXPECT_EQ(art.find_first_of("&*256BEKMSYZly~"), ByteString::npos) << art;
}

// Each 2 x 2 pattern of a dark and a light color, a cell each, as block
// elements: by the quarters that are dark (top left 1, top right 2, bottom
// left 4, bottom right 8).
TEST_F(ArtByShape, QuadrantsAreTheDarkQuartersOfTheirCells) {
  const char32_t byQuarters[16] = {U' ', U'▘', U'▝', U'▀', U'▖', U'▌', U'▞', U'▛',
                                   U'▗', U'▚', U'▐', U'▜', U'▄', U'▙', U'▟', U'█'};
  const Rgb dark = 0x203040, light = 0xE0D0A0;
  auto checker = [&](Rgb darkColor, Rgb lightColor) {
    return Painted(32, 2, [=](std::size_t x, std::size_t y) {
      const unsigned quarters = static_cast<unsigned>(x / 2), quarter = 1u << (y * 2 + x % 2);
      return quarters & quarter ? darkColor : lightColor;
    });
  };
  PictureOptions blocks = Cells(16, 1);
  blocks.way = Blocks{BlockKind::Quadrants};

  // In colors, the dark side is the ink; a cell of one color is a space.
  const Converted c = Convert(checker(dark, light), blocks, true);
  const std::u32string shown = cp936::Decode(c.area.GetLine(0));
  ASSERT_EQ(shown.size(), 16u);
  std::vector<Rgb> inks, papers;
  for (std::size_t at = 0, cell = 0; at < c.ink.size(); ++cell) {
    char32_t ch;
    const std::size_t length = cp936::DecodeAt(c.area.GetLine(0), at, ch);
    inks.push_back(c.ink[at]);
    papers.push_back(c.paper[at]);
    at += length;
  }
  for (unsigned quarters = 1; quarters < 15; ++quarters) {
    EXPECT_EQ(shown[quarters], byQuarters[quarters]) << quarters;
    EXPECT_EQ(inks[quarters], dark) << quarters;
    EXPECT_EQ(papers[quarters], light) << quarters;
  }
  EXPECT_EQ(shown[0], U' ');
  EXPECT_EQ(papers[0], light);
  EXPECT_EQ(shown[15], U' ');
  EXPECT_EQ(papers[15], dark);

  // Without colors, black ink on white paper: a dark cell is a full block.
  EXPECT_EQ(cp936::Decode(Convert(checker(0x000000, 0xFFFFFF), blocks, false).area.GetLine(0)),
            std::u32string(byQuarters, 16));
  blocks.way = Blocks{BlockKind::Quadrants, true};
  std::u32string inverted;
  for (unsigned quarters = 0; quarters < 16; ++quarters) inverted += byQuarters[15 - quarters];
  EXPECT_EQ(cp936::Decode(Convert(checker(0x000000, 0xFFFFFF), blocks, false).area.GetLine(0)), inverted)
      << "light on dark";
}

TEST_F(ArtByShape, BrailleDotsAreTheDarkSamples) {
  // Dots by sample (column, row): 1 (0,0), 2 (0,1), 3 (0,2), 4 (1,0),
  // 5 (1,1), 6 (1,2), 7 (0,3), 8 (1,3); dot n is bit n - 1 of U+2800.
  const int dotOf[4][2] = {{1, 4}, {2, 5}, {3, 6}, {7, 8}};
  const std::vector<unsigned> patterns = {0x01, 0x80, 0x0F, 0x5A, 0x7E, 0xC3};
  PictureOptions braille = Cells(patterns.size(), 1);
  braille.way = Blocks{BlockKind::Braille};
  const auto c = Convert(Painted(patterns.size() * 2, 4,
                                 [&](std::size_t x, std::size_t y) {
                                   const int dot = dotOf[y][x % 2];
                                   return patterns[x / 2] >> (dot - 1) & 1 ? 0x000000u : 0xFFFFFFu;
                                 }),
                         braille, false);
  std::u32string expected;
  for (const unsigned pattern : patterns) expected += static_cast<char32_t>(0x2800 + pattern);
  EXPECT_EQ(cp936::Decode(c.area.GetLine(0)), expected);
}

TEST_F(ArtByShape, CodePage936BlocksAreEighthsItHolds) {
  // Cells of 8 x 8 samples, dark in their lowest k rows, or leftmost k
  // columns.
  PictureOptions blocks = Cells(8, 1);
  blocks.way = Blocks{BlockKind::CodePage936};
  const auto lower =
      Convert(Painted(64, 8, [](std::size_t x, std::size_t y) { return 8 - y <= x / 8 ? 0x000000u : 0xFFFFFFu; }),
              blocks, false);
  const auto left = Convert(
      Painted(64, 8, [](std::size_t x, std::size_t) { return x % 8 < x / 8 ? 0x000000u : 0xFFFFFFu; }), blocks, false);
  EXPECT_EQ(cp936::Decode(lower.area.GetLine(0)), U" ▁▂▃▄▅▆▇");
  EXPECT_EQ(cp936::Decode(left.area.GetLine(0)), U" ▏▎▍▌▋▊▉");
  // Every byte is code page 936's own, as iconv has it.
  for (const char32_t c : U"▁▂▃▄▅▆▇▏▎▍▌▋▊▉") {
    if (c != 0) {
      EXPECT_FALSE(testing_support::Cp936Bytes(c).empty()) << static_cast<unsigned>(c);
    }
  }
  const ByteString bytes = lower.area.GetLine(0) + left.area.GetLine(0);
  EXPECT_EQ(cp936::Decode(bytes), *cp936::Utf8Decode(cp936::ToUtf8(bytes)));
}

TEST_F(ArtByShape, TheDefaultRampRunsByTheInkOfItsGlyphs) {
  const std::string_view ramp = PictureOptions::kDefaultRamp;
  for (std::size_t i = 1; i < ramp.size(); ++i) {
    EXPECT_LE(InkShare(ramp[i - 1]), InkShare(ramp[i])) << "\"" << ramp[i - 1] << "\" before \"" << ramp[i] << "\"";
  }
  EXPECT_EQ(InkShare(ramp.front()), 0) << "the lightest is blank paper";
}

TEST_F(ArtByShape, TheLightestTonesOfARampAreCleanPaper) {
  // Black to white in 256 columns: the picture's levels run from its 5th
  // to its 95th percentile, and the lightest tenth of them is paper, so a
  // light wall stays blank from about column 200 on, where ink alone
  // would go on past 220.
  PictureOptions ramp = Cells(256, 1);
  ramp.way = Ramp{ByteString(kDefaultRamp), false, false};
  const Converted c =
      Convert(Painted(256, 16, [](std::size_t x, std::size_t) { return static_cast<Rgb>(x * 0x010101); }), ramp, false);
  const ByteString line = c.area.GetLine(0);
  ASSERT_EQ(line.size(), 256u);
  EXPECT_EQ(line.find_first_not_of(' ', 205), ByteString::npos) << line.substr(150);
  EXPECT_EQ(line.substr(0, 190).find(' '), ByteString::npos) << line.substr(0, 190);
}

TEST_F(ArtByShape, FilledCellsLookTheirOwnColorFromAfar) {
  // Four colors, a symbol each, and the ramp: each cell's ink stands out
  // from its paper, and the two mixed as its glyph mixes them give its color.
  const Rgb colors[] = {0x102030, 0xF0E0D0, 0x808080, 0xC06040};
  for (const bool ramp : {false, true}) {
    PictureOptions fill;
    fill.way = SymbolPerColor{true};
    if (ramp) fill.way = Ramp{ByteString(kDefaultRamp), false, true};
    const Converted c = Convert(Painted(4, 1, [&](std::size_t x, std::size_t) { return colors[x]; }), fill, true);
    const ByteString line = c.area.GetLine(0);
    ASSERT_EQ(line.size(), 4u);
    for (std::size_t x = 0; x < 4; ++x) {
      const double share = InkShare(line[x]);
      if (share == 0) continue;
      EXPECT_NE(c.ink[x], c.paper[x]);
      for (int shift = 0; shift <= 16; shift += 8) {
        const double mixed = (c.ink[x] >> shift & 0xFF) * share + (c.paper[x] >> shift & 0xFF) * (1 - share);
        EXPECT_NEAR(mixed, colors[x] >> shift & 0xFF, 1.5) << (ramp ? "ramp " : "") << x;
      }
    }
  }
}

// On a terminal of few colors, blocks draw each cell in two colors of its
// palette, mixed by the element so that the cell looks from afar nearer its
// color than the palette's nearest color alone: a flat brown between the
// palette's colors is dithered inside its cells. Filled shapes keep the
// structure first: a flat cell gets no stroke the picture lacks.
TEST_F(ArtByShape, FewColorsAreMixedInsideBlocksAndFlatShapesStayFlat) {
  const Rgb brown = 0x8A5A33;
  const auto distance = [](Rgb a, double r, double g, double b) {
    return std::hypot((a >> 16 & 0xFF) - r, (a >> 8 & 0xFF) - g, (a & 0xFF) - b);
  };
  for (const TerminalColors palette : {TerminalColors::Palette256, TerminalColors::Palette16}) {
    const TerminalPalette shown{palette};
    const std::span<const Rgb> colors = PaletteColors(shown);
    const Rgb nearest = colors[static_cast<std::size_t>(
        palette == TerminalColors::Palette16 ? NearestPalette16(brown) : NearestPalette256(brown))];
    PictureOptions blocks = Cells(4, 2), shapes = Cells(4, 2);
    blocks.way = Blocks{BlockKind::Quadrants};
    blocks.palette = shown;
    const Converted c = Convert(Painted(32, 32, [&](std::size_t, std::size_t) { return brown; }), blocks, true);
    const std::u32string line = cp936::Decode(c.area.GetLine(0));
    ASSERT_EQ(line.size(), 4u);
    // The first cell: its two colors are the palette's, and mixed as its
    // element mixes them they come nearer brown.
    const Rgb ink = c.ink[0], paper = c.paper[0];
    EXPECT_NE(std::find(colors.begin(), colors.end(), ink), colors.end());
    EXPECT_NE(std::find(colors.begin(), colors.end(), paper), colors.end());
    const std::map<char32_t, double> quarters = {{U'▀', 0.5}, {U'▄', 0.5}, {U'▌', 0.5}, {U'▐', 0.5},
                                                 {U'▞', 0.5}, {U'▚', 0.5}, {U' ', 0.0}, {U'█', 1.0}};
    ASSERT_TRUE(quarters.contains(line[0])) << static_cast<unsigned>(line[0]);
    const double share = quarters.at(line[0]);
    EXPECT_GT(share, 0) << "an element that mixes";
    const auto mixed = [&](int shift) { return (ink >> shift & 0xFF) * share + (paper >> shift & 0xFF) * (1 - share); };
    EXPECT_LT(distance(brown, mixed(16), mixed(8), mixed(0)),
              distance(brown, nearest >> 16 & 0xFF, nearest >> 8 & 0xFF, nearest & 0xFF));

    shapes.way = Shapes{true};
    shapes.palette = shown;
    const Converted flat = Convert(Painted(32, 32, [&](std::size_t, std::size_t) { return brown; }), shapes, true);
    const ByteString symbols = flat.area.GetLine(0);
    for (std::size_t x = 0; x < symbols.size(); ++x) {
      // Any ink differs from its paper by a shade at most (a mix of hues
      // alike in tone, which no one takes for a stroke), and the cell from
      // afar is no further from brown than the nearest color.
      const auto luma = [](Rgb v) {
        return 0.2126 * (v >> 16 & 0xFF) + 0.7152 * (v >> 8 & 0xFF) + 0.0722 * (v & 0xFF);
      };
      const double inked = InkShare(symbols[x]);
      if (inked > 0) {
        EXPECT_LE(std::abs(luma(flat.ink[x]) - luma(flat.paper[x])), 12.0)
            << symbols << " " << std::hex << flat.ink[x] << " on " << flat.paper[x];
      }
      const auto seen = [&](int shift) {
        return (flat.ink[x] >> shift & 0xFF) * inked + (flat.paper[x] >> shift & 0xFF) * (1 - inked);
      };
      EXPECT_LE(distance(brown, seen(16), seen(8), seen(0)),
                distance(brown, nearest >> 16 & 0xFF, nearest >> 8 & 0xFF, nearest & 0xFF) + 0.5);
    }
  }
}

TEST_F(ArtByShape, AColorBetweenTheCubesLevelsIsMixedFromTheLevelsOnEitherSide) {
  // #D0A0F8: its green lies between the cube's levels 135 and 175, and the
  // halves of a cell in #D787FF and #D7AFFF look from afar 11 away from it,
  // where the palette's nearest color alone is 18 away.
  const Rgb lilac = 0xD0A0F8;
  PictureOptions blocks = Cells(4, 2);
  blocks.way = Blocks{BlockKind::Quadrants};
  blocks.palette.colors = TerminalColors::Palette256;
  const Converted c = Convert(Painted(32, 32, [&](std::size_t, std::size_t) { return lilac; }), blocks, true);
  ASSERT_FALSE(c.ink.empty());
  for (std::size_t x = 0; x < c.ink.size(); ++x) {
    SCOPED_TRACE(x);
    EXPECT_EQ(std::min(c.ink[x], c.paper[x]), 0xD787FFu);
    EXPECT_EQ(std::max(c.ink[x], c.paper[x]), 0xD7AFFFu);
  }
}

TEST(ArtSizes, ShapesAndBlocksWithoutASizeTakeASampleAPixel) {
  PictureOptions shapes;
  shapes.way = Shapes{};
  const ArtSize cells = FitArtSize(800, 320, shapes);
  EXPECT_EQ(cells.columns, 100u);
  EXPECT_EQ(cells.lines, 20u);
  PictureOptions quadrants;
  quadrants.way = Blocks{BlockKind::Quadrants};
  EXPECT_EQ(FitArtSize(800, 320, quadrants).columns, 400u);
  EXPECT_EQ(FitArtSize(800, 320, quadrants).lines, 80u);

  // The largest art of the picture's proportions in a terminal's screen.
  EXPECT_EQ(FitArtWithin(512, 512, 80, 23, 0.5).columns, 46u);
  EXPECT_EQ(FitArtWithin(512, 512, 80, 23, 0.5).lines, 23u);
  EXPECT_EQ(FitArtWithin(4000, 1000, 80, 23, 0.5).columns, 80u);
  EXPECT_EQ(FitArtWithin(4000, 1000, 80, 23, 0.5).lines, 10u);
}

}  // namespace
}  // namespace morvexa
