// The glyphs of an installed font as art is matched to them: measured as
// another renderer draws them (Pillow's), measured once, and used by the
// shapes and the ramp in place of the built-in font's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "../support/failure_matchers.h"
#include "../support/files.h"
#include "../support/painted.h"
#include "convert/symbol_glyphs.h"
#include "morvexa/convert_picture.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"
#include "pixels/picture_reader.h"
#include "text/font_glyph_source.h"

namespace morvexa {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
constexpr const char* kLiberation = "/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf";

struct Compared {
  int code;
  double mean, most;  // of the samples' differences
  double share;       // of the cell Pillow's glyph inks
};

// The font's glyphs as measured here, beside Pillow's drawing of them.
std::vector<Compared> CompareWithPillow(const char* font, int pixels) {
  const fs::path measured = fs::temp_directory_path() / ("morvexa-coverage-" + std::to_string(getpid()));
  {
    FontGlyphSource source = FontGlyphSource::OpenFile(font, pixels);
    std::ofstream out(measured);
    std::array<float, SymbolGlyphs::kPixels> coverage{};
    for (char32_t c = 0x20; c < 0x7F; ++c) {
      EXPECT_TRUE(source.CellCoverage(c, SymbolGlyphs::kWidth, SymbolGlyphs::kHeight, coverage.data()));
      for (const float v : coverage) out << v << ' ';
      out << '\n';
    }
  }
  const std::string command = std::string("/usr/bin/python3 ") + MORVEXA_FONT_COVERAGE + " " + font + " " +
                              std::to_string(pixels) + " 8 16 " + measured.string();
  std::vector<Compared> compared;
  FILE* pipe = popen(command.c_str(), "r");
  EXPECT_NE(pipe, nullptr);
  Compared c{};
  while (pipe && std::fscanf(pipe, "%d %lf %lf %lf", &c.code, &c.mean, &c.most, &c.share) == 4) {
    compared.push_back(c);
  }
  EXPECT_EQ(pipe ? pclose(pipe) : -1, 0) << "Pillow, from Debian's python3-pil";
  fs::remove(measured);
  return compared;
}

TEST(GlyphsOf, EachGlyphCoversItsCellAsAnotherRendererDrawsIt) {
  // Large, where hinting moves little: each sample within a few per cent.
  const std::vector<Compared> compared = CompareWithPillow(kDejaVu, 64);
  ASSERT_EQ(compared.size(), 95u);
  for (const Compared& c : compared) {
    EXPECT_LT(c.mean, 0.04) << static_cast<char>(c.code);
    EXPECT_LT(c.most, 0.3) << static_cast<char>(c.code);
  }
}

TEST(GlyphsOf, AFontIsMeasuredOnceAndGlyphsItLacksAreLeftOut) {
  const SymbolGlyphs& first = SymbolGlyphs::Of(kDejaVu, 14);
  EXPECT_EQ(&SymbolGlyphs::Of(kDejaVu, 14), &first) << "measured once a process";
  EXPECT_NE(&SymbolGlyphs::Of(kDejaVu, 20), &first) << "each size its own";
  EXPECT_EQ(first.font, kDejaVu);
  for (std::size_t k = 0; k < SymbolGlyphs::kCount; ++k) EXPECT_TRUE(first.drawn[k]) << k;
  // The densest symbol and the space, as the font draws them.
  EXPECT_EQ(first.shareOf[' '], 0.0f);
  EXPECT_GT(first.shareOf['@'], first.shareOf['.']);
  EXPECT_FAILURE(SymbolGlyphs::Of("/nonexistent/font.ttf", 14), "Cannot open font /nonexistent/font.ttf");
}

TEST(GlyphsOf, TheRampRunsByTheInkOfTheFontsGlyphs) {
  // A gradient from white to black drawn with the default ramp matched to
  // Liberation Mono: its symbols, from light to dark, are the default
  // ramp's in the order of the ink Pillow finds in that font's glyphs
  // (which is not the built-in font's: its "#" has less ink than its "o").
  const std::vector<Compared> pillow = CompareWithPillow(kLiberation, 16);
  ASSERT_EQ(pillow.size(), 95u) << "Liberation Mono, from Debian's fonts-liberation2";
  std::string expected(kDefaultRamp);
  std::stable_sort(expected.begin(), expected.end(),
                   [&](char a, char b) { return pillow[a - 0x20].share < pillow[b - 0x20].share; });
  ASSERT_NE(expected, std::string(kDefaultRamp));
  PictureOptions ramp;
  ramp.width = 256;
  ramp.height = 1;
  ramp.way = Ramp{};
  ramp.glyphs.font = kLiberation;
  MemoryArtArea area;
  MemoryCharList list;
  ConvertPicture(Picture(testing_support::Painted(
                     256, 16, [](std::size_t x, std::size_t) { return static_cast<Rgb>(255 - x) * 0x010101; })),
                 ramp, list, area);
  std::string order;
  for (const char c : area.GetLine(0)) {
    if (order.empty() || order.back() != c) order += c;
  }
  EXPECT_EQ(order, expected);
}

TEST(GlyphsOf, SymbolsAsTheCallerDrawsThemAreMeasuredFromItsCells) {
  // Cells 6 x 12 pixels, as a window draws a 12-pixel font: "|" inks the
  // left half of its cell, "-" the middle two of its 12 rows at half
  // strength, "x" is given a cell wider than its picture; "?" the font
  // lacks. Samples are 8 x 16 over the cell.
  const auto drawnBy = [](char32_t symbol) -> std::optional<DrawnCell> {
    if (symbol == U'?') return std::nullopt;
    DrawnCell cell{6, 12, 6.0, 12.0, std::vector<unsigned char>(72, 0)};
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 6; ++x) {
        unsigned char& at = cell.coverage[static_cast<std::size_t>(y * 6 + x)];
        if (symbol == U'|' && x < 3) at = 255;
        if (symbol == U'-' && (y == 5 || y == 6)) at = 128;
        if (symbol == U'x') at = 255;
      }
    }
    if (symbol == U'x') cell.cellWide = 12.0;
    return cell;
  };
  const SymbolGlyphs& glyphs = SymbolGlyphs::Drawn("drawn-by-the-test", 12, drawnBy);
  EXPECT_EQ(&SymbolGlyphs::Drawn("drawn-by-the-test", 12, drawnBy), &glyphs) << "measured once a process";
  EXPECT_FALSE(glyphs.drawn['?' - 0x20]);
  EXPECT_TRUE(glyphs.drawn['|' - 0x20]);
  const auto sample = [&](char symbol, int x, int y) {
    return glyphs.ink[static_cast<std::size_t>(symbol - 0x20)][static_cast<std::size_t>(y * 8 + x)];
  };
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 8; ++x) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      EXPECT_EQ(sample('|', x, y), x < 4 ? 255 : 0);
      // Rows 5 and 6 of 12 are samples 6.67 to 9.33 of 16.
      const int dash = y == 7 || y == 8 ? 128 : y == 6 || y == 9 ? 43 : 0;
      EXPECT_NEAR(sample('-', x, y), dash, 1);
      EXPECT_EQ(sample('x', x, y), x < 4 ? 255 : 0);
      EXPECT_EQ(sample(' ', x, y), 0);
    }
  }
}

}  // namespace
}  // namespace morvexa
