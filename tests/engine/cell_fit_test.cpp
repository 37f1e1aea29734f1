// Cells fitted with shapes and two colors: a cell drawn with a block element
// comes back as that element in its own colors, smooth cells stay smooth,
// and a terminal's palette gives its own colors.
#include "convert/cell_fit.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "convert/block_elements.h"

namespace morvexa {
namespace {

// A cell of 8 x 16 samples, each channel 0-255, painted by a rule.
struct Cell {
  std::array<float, kFitSamples> red{}, green{}, blue{};
  explicit Cell(const std::function<Rgb(int x, int y)>& paint) {
    for (int i = 0; i < kFitSamples; ++i) {
      const Rgb c = paint(i % 8, i / 8);
      red[static_cast<std::size_t>(i)] = static_cast<float>(c >> 16 & 0xFF);
      green[static_cast<std::size_t>(i)] = static_cast<float>(c >> 8 & 0xFF);
      blue[static_cast<std::size_t>(i)] = static_cast<float>(c & 0xFF);
    }
  }
};

// The block elements a cell may be drawn with, and their shapes.
struct Elements {
  std::vector<char32_t> characters;
  std::vector<FitShape> shapes;
  Elements() {
    std::vector<char32_t> all(std::begin(kByQuarters), std::end(kByQuarters));
    all.insert(all.end(), std::begin(kLowerEighths) + 1, std::end(kLowerEighths));
    all.insert(all.end(), std::begin(kLeftEighths) + 1, std::end(kLeftEighths));
    for (const char32_t c : all) {
      if (std::find(characters.begin(), characters.end(), c) != characters.end()) continue;
      FitShape shape{};
      for (int i = 0; i < kFitSamples; ++i) shape[static_cast<std::size_t>(i)] = BlockInks(c, i % 8, i / 8, 8, 16);
      characters.push_back(c);
      shapes.push_back(shape);
    }
  }
};

int Distance(Rgb a, Rgb b) {
  int most = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    most = std::max(most, std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)));
  }
  return most;
}

TEST(CellFit, ACellDrawnWithAnElementComesBackAsThatElementInItsColors) {
  const Elements elements;
  CellFit fit(elements.shapes, TerminalPalette{});
  // Each element's ink, described here by the pixels a terminal's cell of
  // 8 x 16 draws for it.
  struct Case {
    char32_t element;
    std::function<bool(int x, int y)> inks;
  };
  const Case cases[] = {
      {U'▀', [](int, int y) { return y < 8; }},
      {U'▐', [](int x, int) { return x >= 4; }},
      {U'▘', [](int x, int y) { return x < 4 && y < 8; }},
      {U'▚', [](int x, int y) { return (x < 4) == (y < 8); }},
      {U'▟', [](int x, int y) { return x >= 4 || y >= 8; }},
      {U'▂', [](int, int y) { return y >= 12; }},
      {U'▁', [](int, int y) { return y >= 14; }},
      {U'▇', [](int, int y) { return y >= 2; }},
      {U'▎', [](int x, int) { return x < 2; }},
      {U'▉', [](int x, int) { return x < 7; }},
  };
  const Rgb ink = 0x3050C0, paper = 0xE0D0A0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<unsigned>(c.element)));
    const Cell cell([&](int x, int y) { return c.inks(x, y) ? ink : paper; });
    const CellFit::Drawn drawn = fit.Fit(cell.red.data(), cell.green.data(), cell.blue.data());
    const char32_t got = elements.characters[drawn.shape];
    // The element, or the one of the other samples in the colors turned
    // round: the same cell on the screen.
    if (got == c.element) {
      EXPECT_EQ(drawn.ink, ink);
      EXPECT_EQ(drawn.paper, paper);
    } else {
      const Cell turned([&](int x, int y) { return c.inks(x, y) ? paper : ink; });
      const Cell drawnCell([&](int x, int y) { return BlockInks(got, x, y, 8, 16) ? drawn.ink : drawn.paper; });
      EXPECT_EQ(drawnCell.red, cell.red) << static_cast<unsigned>(got);
      EXPECT_EQ(drawnCell.blue, cell.blue) << static_cast<unsigned>(got);
    }
  }
}

TEST(CellFit, SmoothCellsGetCloseColorsAndFlatOnesPlainPaper) {
  const Elements elements;
  CellFit fit(elements.shapes, TerminalPalette{});
  const Cell flat([](int, int) { return 0x808040u; });
  const CellFit::Drawn plain = fit.Fit(flat.red.data(), flat.green.data(), flat.blue.data());
  EXPECT_EQ(plain.paper, 0x808040u);
  EXPECT_TRUE(elements.characters[plain.shape] == U' ' || plain.ink == plain.paper);
  // A gentle slope of 16 tones over the cell: drawn with at most the
  // contrast it has, and its mean kept.
  const Cell slope([](int, int y) { return static_cast<Rgb>(100 + y) * 0x010101; });
  const CellFit::Drawn smooth = fit.Fit(slope.red.data(), slope.green.data(), slope.blue.data());
  EXPECT_LE(Distance(smooth.ink, smooth.paper), 16);
  const FitShape& shape = elements.shapes[smooth.shape];
  double drawnMean = 0;
  for (const float v : shape)
    drawnMean += (smooth.paper & 0xFF) + v * (double(smooth.ink & 0xFF) - (smooth.paper & 0xFF));
  EXPECT_NEAR(drawnMean / kFitSamples, 107.5, 1.0);
}

TEST(CellFit, AFewColoredTerminalGetsItsOwnColors) {
  const Elements elements;
  // A palette of the terminal's own: grays but for two colors.
  TerminalPalette palette{TerminalColors::Palette16, {}};
  for (std::size_t i = 0; i < 16; ++i) palette.sixteen[i] = static_cast<Rgb>(i * 17) * 0x010101;
  palette.sixteen[3] = 0x9A4E12;
  palette.sixteen[12] = 0x1E7EC8;
  for (const float look : {0.0f, 0.005f}) {
    CellFit fit(elements.shapes, palette, look);
    const Cell cell([&](int, int y) { return y < 8 ? 0x9C4C10u : 0x207EC6u; });
    const CellFit::Drawn drawn = fit.Fit(cell.red.data(), cell.green.data(), cell.blue.data());
    EXPECT_EQ(std::min(drawn.ink, drawn.paper), 0x1E7EC8u) << look;
    EXPECT_EQ(std::max(drawn.ink, drawn.paper), 0x9A4E12u) << look;
  }
}

TEST(CellFit, InkAloneTakesTheShapeNearestTheTones) {
  const Elements elements;
  // Half the cell asks for ink, at its right: the right half block.
  std::array<float, kFitSamples> tones{};
  for (int i = 0; i < kFitSamples; ++i) tones[static_cast<std::size_t>(i)] = i % 8 >= 4 ? 0.9f : 0.1f;
  EXPECT_EQ(elements.characters[NearestShape(elements.shapes, tones.data(), 0.85f)], U'▐');
  // A flat mid tone: with the cell's share of ink counting, ink in about
  // its share rather than none.
  tones.fill(0.4f);
  const std::size_t flat = NearestShape(elements.shapes, tones.data(), 0.85f);
  float share = 0;
  for (const float v : elements.shapes[flat]) share += v;
  EXPECT_GE(share / kFitSamples, 0.25) << static_cast<unsigned>(elements.characters[flat]);
  EXPECT_LE(share / kFitSamples, 0.5) << static_cast<unsigned>(elements.characters[flat]);
  EXPECT_EQ(elements.characters[NearestShape(elements.shapes, tones.data(), 0.0f)], U' ') << "without it, none";
}

}  // namespace
}  // namespace morvexa
