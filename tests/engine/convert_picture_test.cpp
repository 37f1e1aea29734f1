// Pictures sized, reduced to fewer colors, and drawn with a brightness
// ramp.
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>

#include "../support/art.h"
#include "../support/decoded_pixels.h"
#include "../support/imagemagick.h"
#include "../support/painted.h"
#include "morvexa/convert_picture.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"
#include "morvexa/picture.h"
#include "morvexa/read_settings.h"
#include "pixels/area_average.h"

namespace morvexa {
namespace {

using Entries = std::vector<ByteString>;

using testing_support::Painted;

struct Converted {
  MemoryArtArea area;
  MemoryCharList list;
};

Converted Convert(std::unique_ptr<PictureReader> picture, const PictureOptions& options) {
  Converted c;
  ConvertPicture(morvexa::Picture(std::move(picture)), options, c.list, c.area);
  return c;
}

PictureOptions Width(std::size_t columns) {
  PictureOptions options;
  options.width = columns;
  return options;
}

TEST(ConvertPicture, SizesFollowTheProportionsCorrectedForTheCell) {
  struct Case {
    const char* name;
    std::size_t w, h;
    PictureOptions options;
    std::size_t columns, lines;
  };
  PictureOptions tall;
  tall.height = 10;
  PictureOptions square = Width(50);
  square.aspect = 1;
  PictureOptions both = Width(7);
  both.height = 3;
  const Case cases[] = {
      {"1000 x 500 at 100 columns", 1000, 500, Width(100), 100, 25},
      {"lines given", 1000, 500, tall, 40, 10},
      {"square cells", 200, 100, square, 50, 25},
      {"both given", 10, 10, both, 7, 3},
      {"enlarged when asked", 10, 10, Width(40), 40, 20},
      {"never fewer than one line", 1000, 1, Width(10), 10, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Converted out = Convert(Painted(c.w, c.h, [](std::size_t, std::size_t) { return Rgb{0}; }), c.options);
    ASSERT_EQ(out.area.LineCount(), c.lines);
    EXPECT_EQ(out.area.GetLine(0).size(), c.columns);
  }
}

TEST(ConvertPicture, EachCellIsTheAreaAverageOfWhatItCovers) {
  // Black left half, white right half: four cells over ten pixels put the
  // border exactly between the second and third cell.
  auto halves = [] {
    return Painted(10, 4, [](std::size_t x, std::size_t) { return x < 5 ? Rgb{0} : Rgb{0xFFFFFF}; });
  };
  PictureOptions four = Width(4);
  four.height = 1;
  EXPECT_EQ(Convert(halves(), four).area.Text(), "  !!\r\n");
  // Three cells: the middle one covers 5/3 black pixels and 5/3 white ones.
  const PixelImage three = ReadWhole(*AreaAverage(halves(), 3, 1));
  EXPECT_EQ(three.Row(0)[0], 0x000000u);
  EXPECT_EQ(three.Row(0)[1], 0x808080u) << "127.5 rounds up";
  EXPECT_EQ(three.Row(0)[2], 0xFFFFFFu);
  // A cell over two pixels of 10 and 21 and a third of 40 at a third each.
  const PixelImage partial = ReadWhole(*AreaAverage(
      Painted(3, 1, [](std::size_t x, std::size_t) { return Rgb{x == 0   ? 10u
                                                                : x == 1 ? 21u
                                                                         : 40u}; }), 2, 1));
  EXPECT_EQ(partial.Row(0)[0], 14u) << "(10 + 21 / 2) / 1.5 = 13.67";
  EXPECT_EQ(partial.Row(0)[1], 34u) << "(21 / 2 + 40) / 1.5 = 33.67";
}

// The rows of a picture read a few at a time, as a consumer of small bands
// asks for them: a row that continues the band before is made across the
// boundary.
PixelImage ReadInBandsOf(std::size_t rows, PictureReader& picture) {
  PixelImage image(picture.Width(), picture.Height());
  RowBand band;
  std::size_t y = 0;
  while (picture.ReadRows(rows, band) > 0) {
    for (const unsigned char* row : band.rows)
      RowColors(band.form, row, image.width, picture.Palette(), image.Row(y++));
  }
  return image;
}

// Made larger, smaller or both, each pixel is the exact average of the
// area it covers, rounded half up: worked out here pixel by pixel from the
// overlaps, with whole numbers; whether the rows are read at once or in
// bands of 7, whose boundaries fall inside runs of rows made larger.
TEST(ConvertPicture, AreaAveragesAreExactEnlargedOrReduced) {
  constexpr std::size_t kWidth = 13, kHeight = 9;
  auto color = [](std::size_t x, std::size_t y) {
    return static_cast<Rgb>((x * 37 + y * 91) % 256 << 16 | (x * x * 7 + y * 3) % 256 << 8 | (x * y * 29 + 5) % 256);
  };
  for (const auto& [columns, lines] :
       {std::pair{29u, 20u}, {40u, 9u}, {13u, 40u}, {7u, 5u}, {30u, 4u}, {26u, 18u}, {1u, 1u}}) {
    SCOPED_TRACE(testing::Message() << columns << "x" << lines);
    const PixelImage whole = ReadWhole(*AreaAverage(Painted(kWidth, kHeight, color), columns, lines));
    const PixelImage banded = ReadInBandsOf(7, *AreaAverage(Painted(kWidth, kHeight, color), columns, lines));
    // On a scale where a source pixel is columns x lines units and a result
    // pixel kWidth x kHeight.
    auto overlap = [](std::uint64_t a0, std::uint64_t a1, std::uint64_t b0, std::uint64_t b1) -> std::uint64_t {
      const std::uint64_t from = std::max(a0, b0), to = std::min(a1, b1);
      return to > from ? to - from : 0;
    };
    for (std::size_t ty = 0; ty < lines; ++ty) {
      for (std::size_t tx = 0; tx < columns; ++tx) {
        std::array<std::uint64_t, 3> sums{};
        for (std::size_t y = 0; y < kHeight; ++y) {
          const std::uint64_t down = overlap(ty * kHeight, (ty + 1) * kHeight, y * lines, (y + 1) * lines);
          for (std::size_t x = 0; x < kWidth && down; ++x) {
            const std::uint64_t across = overlap(tx * kWidth, (tx + 1) * kWidth, x * columns, (x + 1) * columns);
            for (int c = 0; c < 3; ++c) sums[c] += (color(x, y) >> (16 - 8 * c) & 0xFF) * across * down;
          }
        }
        const std::uint64_t area = kWidth * kHeight;
        Rgb expected = 0;
        for (int c = 0; c < 3; ++c) expected = expected << 8 | static_cast<Rgb>((sums[c] + area / 2) / area);
        ASSERT_EQ(whole.Row(ty)[tx], expected) << tx << "," << ty;
        ASSERT_EQ(banded.Row(ty)[tx], expected) << tx << "," << ty << " read in bands of 7";
      }
    }
  }
}

// ImageMagick's -scale averages the pixels each result pixel covers, as
// sizing here does: the two agree within rounding.
TEST(ConvertPicture, AreaAveragesAgreeWithImageMagicksScale) {
  if (!testing_support::HaveImageMagick())
    GTEST_FAIL() << "ImageMagick is not installed, though scripts/test installs it";
  const auto dir = std::filesystem::temp_directory_path() / ("morvexa-scale-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string source = "'" + (dir / "source.png").string() + "'";
  ASSERT_TRUE(testing_support::Convert("-size 97x61 -seed 11 plasma:fractal -depth 8 " + source));
  for (const auto& [columns, lines] : {std::pair{10u, 7u}, {31u, 20u}, {96u, 60u}, {5u, 61u}}) {
    SCOPED_TRACE(testing::Message() << columns << "x" << lines);
    ASSERT_TRUE(testing_support::Convert(source + " -scale " + std::to_string(columns) + "x" + std::to_string(lines) +
                                         "! '" + (dir / "scaled.png").string() + "'"));
    const std::vector<Rgb> theirs = testing_support::ImageMagickPixels(dir / "scaled.png", dir);
    const PixelImage ours = ReadWhole(*AreaAverage(OpenPicture(dir / "source.png"), columns, lines));
    ASSERT_EQ(theirs.size(), std::size_t{columns} * lines);
    for (std::size_t i = 0; i < theirs.size(); ++i) {
      for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>(ours.pixels[i] >> shift & 0xFF), b = static_cast<int>(theirs[i] >> shift & 0xFF);
        ASSERT_LE(std::abs(a - b), 1) << "cell " << i;
      }
    }
  }
  std::filesystem::remove_all(dir);
}

// An interlaced picture is averaged as its passes come; its art is that of
// the same picture stored row after row, byte for byte and color for color.
TEST(ConvertPicture, InterlacedPicturesGiveTheArtOfTheirTwins) {
  ASSERT_TRUE(testing_support::HaveImageMagick()) << "ImageMagick is not installed";
  const auto dir = std::filesystem::temp_directory_path() / ("morvexa-twins-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const auto path = [&](const char* name) { return "'" + (dir / name).string() + "'"; };
  const std::string photo = "-size 400x300 -seed 5 plasma:fractal -resize 1600x1200 -define png:compression-level=1";
  ASSERT_TRUE(testing_support::Convert(photo + " " + path("flat.png")));
  ASSERT_TRUE(testing_support::Convert(path("flat.png") + " -interlace PNG " + path("interlaced.png")));
  // A GIF frame smaller than its canvas, the rest of which takes the
  // background.
  const std::string gif =
      path("flat.png") + " -resize 300x225 -colors 200 -filter point -resize 1200x900 -page 1600x1200+250+150";
  ASSERT_TRUE(testing_support::Convert(gif + " " + path("flat.gif")));
  ASSERT_TRUE(testing_support::Convert(gif + " -interlace GIF " + path("interlaced.gif")));
  PictureOptions ramp = Width(70), shapes = Width(30), filled = Width(30), blocks = Width(60), reduced = Width(70);
  ramp.way = Ramp{};
  shapes.way = Shapes{};
  filled.way = Shapes{true};
  blocks.way = Blocks{BlockKind::Quadrants};
  reduced.way = ReducedColors{12};
  for (const auto& [flat, interlaced] : {std::pair{"flat.png", "interlaced.png"}, {"flat.gif", "interlaced.gif"}}) {
    for (const PictureOptions& options : {Width(70), ramp, shapes, filled, blocks, reduced}) {
      SCOPED_TRACE(testing::Message() << interlaced << " way " << options.way.index()
                                      << (FillsCells(options.way) ? " fill" : ""));
      ReadSettings settings;
      settings.background = 0x3366CC;
      const auto convert = [&](const char* name) {
        Converted c;
        c.area.KeepColors();
        ConvertPicture(Picture::Open(dir / name, settings), options, c.list, c.area);
        return c;
      };
      const Converted a = convert(flat), b = convert(interlaced);
      ASSERT_EQ(a.area.Text(), b.area.Text());
      EXPECT_EQ(a.list.Entries(), b.list.Entries());
      std::vector<Rgb> inkA, paperA, inkB, paperB;
      for (std::size_t i = 0; i < a.area.LineCount(); ++i) {
        a.area.ColorsOf(i, inkA, paperA);
        b.area.ColorsOf(i, inkB, paperB);
        ASSERT_EQ(inkA, inkB) << "line " << i;
        ASSERT_EQ(paperA, paperB) << "line " << i;
      }
    }
  }
  std::filesystem::remove_all(dir);
}

TEST(ConvertPicture, RampSymbolsFollowBrightness) {
  // A gray gradient from white on the left to black on the right.
  auto gradient = [] {
    return Painted(256, 2, [](std::size_t x, std::size_t) { return static_cast<Rgb>((255 - x) * 0x010101); });
  };
  PictureOptions ramp{.way = Ramp{}};
  const Converted c = Convert(gradient(), ramp);
  const ByteString line = c.area.GetLine(0);
  std::string order;
  for (char symbol : line) {
    if (order.empty() || order.back() != symbol) order += symbol;
  }
  EXPECT_EQ(order, PictureOptions::kDefaultRamp) << "every symbol, in ramp order, left to right";
  const std::string_view steps = PictureOptions::kDefaultRamp;
  EXPECT_EQ(line.front(), steps.front());
  EXPECT_EQ(line.back(), steps.back());
  Entries each;
  for (const char symbol : steps) each.emplace_back(1, symbol);
  EXPECT_EQ(c.list.Entries(), each);

  ramp.way = Ramp{ByteString(kDefaultRamp), true};
  const ByteString inverted = Convert(gradient(), ramp).area.GetLine(0);
  EXPECT_EQ(inverted.front(), steps.back());
  EXPECT_EQ(inverted.back(), steps.front());

  // Symbols a letter case apart are listed once, as every list is.
  PictureOptions letters;
  letters.way = Ramp{"aA"};
  EXPECT_EQ(Convert(gradient(), letters).list.Entries(), (Entries{"a"}));
}

TEST(ConvertPicture, ColorsAreReducedToAtMostTheNumberAsked) {
  auto noise = [] {
    return Painted(120, 80, [](std::size_t x, std::size_t y) {
      return static_cast<Rgb>((x * 2654435761u ^ y * 40503u) & 0xFFFFFF);
    });
  };
  for (int colors : {2, 4, 32, 95}) {
    SCOPED_TRACE(colors);
    PictureOptions options;
    for (bool dither : {false, true}) {
      options.way = ReducedColors{colors, dither};
      const Converted c = Convert(noise(), options);
      std::set<char> used;
      for (const ByteString& line : testing_support::Lines(c.area)) used.insert(line.begin(), line.end());
      EXPECT_LE(used.size(), static_cast<std::size_t>(colors));
      EXPECT_GE(used.size(), 2u);
      EXPECT_EQ(c.area.LineCount(), 80u) << "the size stays";
    }
  }
  // A picture given a size with more than 95 colors is reduced to 95: no
  // color falls into the "!" of colors past the 95th.
  const Converted sized = Convert(noise(), Width(100));
  std::set<char> used;
  for (const ByteString& line : testing_support::Lines(sized.area)) used.insert(line.begin(), line.end());
  EXPECT_LE(used.size(), 95u);
  // One of few colors keeps them all, exactly.
  const Converted few = Convert(
      Painted(40, 20, [](std::size_t x, std::size_t) { return Rgb{x < 20 ? 0x123456u : 0xABCDEFu}; }), Width(4));
  EXPECT_EQ(few.area.GetLine(0), "  !!");
}

}  // namespace
}  // namespace morvexa
