// Filters of banners: each undone by its opposite, margins and boxes where
// they belong, and colors on ink alone.
#include <gtest/gtest.h>

#include <set>

#include "morvexa/banner_filters.h"

namespace morvexa {
namespace {

ColoredLines Sample() { return ColoredLines::Plain({U"  /\\  ", U" (__) ", U"", U"  <[{b "}); }

std::vector<std::u32string> Even(std::vector<std::u32string> lines) {
  std::size_t widest = 0;
  for (const auto& line : lines) widest = std::max(widest, line.size());
  for (auto& line : lines) line.resize(widest, U' ');
  return lines;
}

TEST(BannerFilters, EachIsUndoneByItsOpposite) {
  const std::vector<std::u32string> even = Even(Sample().lines);
  EXPECT_EQ(Filtered(Sample(), "flip:flip").lines, even);
  EXPECT_EQ(Filtered(Sample(), "flop:flop").lines, even);
  EXPECT_EQ(Filtered(Sample(), "180:180").lines, even);
  // Turned, cells two columns wide: an even width comes back as it was.
  const ColoredLines square = ColoredLines::Plain({U"ab/(", U"<-{q"});
  EXPECT_EQ(Filtered(square, "left:right").lines, square.lines);
  EXPECT_EQ(Filtered(square, "right:left").lines, square.lines);
  EXPECT_EQ(Filtered(square, "left").lines, (std::vector<std::u32string>{U"\\({q", U"abv|"}));
  EXPECT_EQ(Filtered(Sample(), "flip:flop").lines, Filtered(Sample(), "180").lines);
  // Mirrored characters take their mirrors.
  EXPECT_EQ(Filtered(ColoredLines::Plain({U"(/<[b"}), "flip").lines[0], U"d]>\\)");
  EXPECT_EQ(Filtered(ColoredLines::Plain({U"/", U"^", U"\u2580"}), "flop").lines,
            (std::vector<std::u32string>{U"\u2584", U"v", U"\\"}));
}

TEST(BannerFilters, CropTakesOffBlankMarginsAndBorderBoxesTheRest) {
  const ColoredLines cropped = Filtered(Sample(), "crop");
  EXPECT_EQ(cropped.lines, (std::vector<std::u32string>{U" /\\  ", U"(__) ", U"     ", U" <[{b"}));
  const ColoredLines boxed = Filtered(ColoredLines::Plain({U"ab", U"c"}), "border");
  EXPECT_EQ(boxed.lines, (std::vector<std::u32string>{U"\u250C\u2500\u2500\u2510", U"\u2502ab\u2502", U"\u2502c \u2502",
                                                      U"\u2514\u2500\u2500\u2518"}));
  EXPECT_EQ(Filtered(ColoredLines::Plain({U"   ", U""}), "crop").lines.size(), 0u);
}

TEST(BannerFilters, ColorsGoOnInkAloneAndFollowTheCharactersTheyWereGiven) {
  const ColoredLines rainbow = Filtered(Sample(), "rainbow");
  std::set<Rgb> used;
  for (std::size_t y = 0; y < rainbow.lines.size(); ++y) {
    ASSERT_EQ(rainbow.colors[y].size(), rainbow.lines[y].size());
    for (std::size_t x = 0; x < rainbow.lines[y].size(); ++x) {
      EXPECT_EQ(rainbow.lines[y][x] == U' ', rainbow.colors[y][x] == kNoColor) << y << "," << x;
      if (rainbow.colors[y][x] != kNoColor) used.insert(rainbow.colors[y][x]);
    }
  }
  EXPECT_GE(used.size(), 3u);
  // Turned, each character keeps its color.
  const ColoredLines turned = Filtered(rainbow, "right:left");
  EXPECT_EQ(turned.colors.size(), rainbow.colors.size());
  EXPECT_EQ(turned.colors[1][1], rainbow.colors[1][1]);
  EXPECT_FALSE(UnknownFilter("crop:metal:gay").has_value());
  EXPECT_EQ(UnknownFilter("crop:shiny:flip"), "shiny");
}

}  // namespace
}  // namespace morvexa
