#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include "../support/bmp_builder.h"

#include "../support/failure_matchers.h"
#include "convert/picture_to_asc.h"
#include "decode/bmp_reader.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"

namespace morvexa {
namespace {

using Entries = std::vector<ByteString>;

MemoryPicture Image(std::size_t w, std::size_t h, const std::vector<Rgb>& pixels) {
  PixelImage image(w, h);
  std::copy(pixels.begin(), pixels.end(), image.pixels.get());
  return MemoryPicture(std::move(image));
}

// A picture of n colors in a row, met in order: color i is 0x010000 * i.
MemoryPicture Colors(unsigned n) {
  std::vector<Rgb> pixels;
  for (unsigned i = 0; i < n; ++i) pixels.push_back(0x010000 * i + 7);
  return Image(n, 1, pixels);
}

struct Converted {
  MemoryArtArea area{"old\r\n"};
  MemoryCharList list;
};

Converted Convert(PictureReader&& picture) {
  Converted c;
  c.list.Add("x");
  PictureToAsc(picture, c.list, c.area);
  return c;
}

TEST(PictureToAsc, ColorsNumberInOrderOfFirstAppearance) {
  const Converted one = Convert(Image(3, 2, std::vector<Rgb>(6, 0xFFFFFF)));
  EXPECT_EQ(one.area.Text(), "   \r\n   \r\n");
  EXPECT_EQ(one.list.Entries(), (Entries{" "}));

  const Converted four = Convert(Image(2, 2, {0xFFFFFF, 0x000000, 0x000000, 0xFF0000}));
  EXPECT_EQ(four.area.Text(), " !\r\n!\"\r\n");
  EXPECT_EQ(four.list.Entries(), (Entries{" ", "!", "\""}));
}

TEST(PictureToAsc, ColorsFrom95OnShareTheExclamationMark) {
  const Converted c = Convert(Colors(100));
  const ByteString line = c.area.GetLine(0);
  for (unsigned i = 0; i < 95; ++i) EXPECT_EQ(line[i], static_cast<char>(32 + i));
  EXPECT_EQ(line.substr(95), "!!!!!");
  // "a" to "z" (colors 65-90) are hidden by "A" to "Z" (33-58); "{" to "~" are listed.
  EXPECT_EQ(c.list.Count(), 95 - 26);
  EXPECT_EQ(c.list.Get(c.list.Count() - 1), "~");
}

TEST(PictureToAsc, LowerCaseLettersAreDrawnButNotListedBesideUpperCase) {
  const Converted c = Convert(Colors(66));
  EXPECT_EQ(c.area.GetLine(0).substr(33, 1), "A");
  EXPECT_EQ(c.area.GetLine(0).substr(65, 1), "a");
  EXPECT_EQ(c.list.Count(), 65);
  EXPECT_EQ(c.list.Get(64), "`");
}

TEST(PictureToAsc, SameColorFromDifferentPaletteIndicesIsOneSymbol) {
  const auto file = testing_support::BmpBuilder(3, 1, {0, 1, 2}, {0x102030, 0x102030, 0x405060}).Build({40, 8});
  const Converted c = Convert(std::move(*ReadBmp(FileBytes::FromMemory(std::string(file.begin(), file.end())))));
  EXPECT_EQ(c.area.Text(), "  !\r\n");
}

TEST(PictureToAsc, EachConversionStartsAfresh) {
  MemoryArtArea area;
  MemoryCharList list;
  MemoryPicture first = Image(2, 1, {0x111111, 0x222222}), second = Image(2, 1, {0x222222, 0x111111});
  PictureToAsc(first, list, area);
  PictureToAsc(second, list, area);
  EXPECT_EQ(area.Text(), " !\r\n");
  EXPECT_EQ(list.Entries(), (Entries{" ", "!"}));

  MemoryPicture empty{PixelImage()};
  PictureToAsc(empty, list, area);
  EXPECT_EQ(area.Text(), "");
  EXPECT_EQ(list.Count(), 0);
}

// The art and symbol list of pixels as a plain reference works them out:
// colors numbered as first met, symbols listed unless one equal to them
// ignoring letter case is.
std::pair<ByteString, Entries> Reference(const std::vector<Rgb>& pixels, std::size_t w) {
  std::map<Rgb, std::size_t> numbers;
  ByteString art;
  Entries list;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const auto [at, added] = numbers.emplace(pixels[i] & 0xFFFFFF, numbers.size());
    const char symbol = static_cast<char>(at->second < 95 ? 32 + at->second : 33);
    if (added && at->second < 95 && std::none_of(list.begin(), list.end(), [&](const ByteString& e) {
          return std::toupper(e[0]) == std::toupper(symbol);
        })) {
      list.emplace_back(1, symbol);
    }
    art += symbol;
    if ((i + 1) % w == 0) art += "\r\n";
  }
  return {art, list};
}

// Pictures large enough to be read and mapped on two threads, with colors
// that keep arriving band after band, so that bands mapped ahead must be
// mapped again; each converted a few times, as threads meet differently.
TEST(PictureToAsc, PicturesMappedOnTwoThreadsGiveTheSameArt) {
  const std::size_t w = 1500, h = 900;
  struct Pattern {
    const char* name;
    std::function<Rgb(std::size_t x, std::size_t y, std::uint32_t noise)> color;
  };
  const Pattern patterns[] = {
      {"noise of thousands of colors", [](std::size_t, std::size_t, std::uint32_t n) { return n >> 8 & 0x0F0F0F; }},
      {"a new color every ten rows",
       [](std::size_t x, std::size_t y, std::uint32_t) { return static_cast<Rgb>(x % 3 == 0 ? y / 10 : 0); }},
      {"a new color at the end of each band",
       [](std::size_t x, std::size_t y, std::uint32_t) { return static_cast<Rgb>(x == 1499 ? y : y % 3); }},
      {"four colors",
       [](std::size_t x, std::size_t y, std::uint32_t) { return static_cast<Rgb>((x / 100 + y / 100) % 4); }},
      {"one color", [](std::size_t, std::size_t, std::uint32_t) { return Rgb{0x123456}; }},
  };
  for (const Pattern& pattern : patterns) {
    SCOPED_TRACE(pattern.name);
    std::vector<Rgb> pixels(w * h);
    std::uint32_t noise = 1;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      noise = noise * 1103515245 + 12345;
      pixels[i] = pattern.color(i % w, i / w, noise);
    }
    const auto [art, list] = Reference(pixels, w);
    for (int run = 0; run < 4; ++run) {
      const Converted c = Convert(Image(w, h, pixels));
      ASSERT_EQ(c.area.Text(), art);
      ASSERT_EQ(c.list.Entries(), list);
    }
  }
}

// The same for palette indices, from an 8-bit file of 2.3 MB.
TEST(PictureToAsc, PalettedPicturesMappedOnTwoThreadsGiveTheSameArt) {
  const unsigned w = 1600, h = 1440;
  std::vector<unsigned> indices(w * h);
  std::vector<std::uint32_t> palette;
  for (unsigned i = 0; i < 256; ++i)
    palette.push_back(i < 128 ? i * 0x010101 : (i - 128) * 0x010101);  // pairs share colors
  for (unsigned i = 0; i < indices.size(); ++i) indices[i] = (i % w == 7 ? i / w / 6 : i % 5) % 256;
  const auto file = testing_support::BmpBuilder(w, h, indices, palette).Build({40, 8});
  std::vector<Rgb> pixels;
  for (unsigned i : indices) pixels.push_back(palette[i]);
  const auto [art, list] = Reference(pixels, w);
  for (int run = 0; run < 4; ++run) {
    const Converted c = Convert(std::move(*ReadBmp(FileBytes::FromMemory(std::string(file.begin(), file.end())))));
    ASSERT_EQ(c.area.Text(), art);
    ASSERT_EQ(c.list.Entries(), list);
  }
}

// Rows, then a failure: the file ended while it was read.
class EndsEarly final : public PictureReader {
 public:
  EndsEarly(std::size_t width, std::size_t rows) : rows_(rows), row_(width * 4, 0) {
    width_ = width;
    height_ = 2 * rows;
  }
  std::size_t ReadRows(std::size_t count, RowBand& band) override {
    if (given_ == rows_) throw Failure(FailureKind::StreamReadError);
    count = std::min(count, rows_ - given_);
    band.form = PixelForm::Rgb32;
    band.rows.assign(count, row_.data());
    given_ += count;
    return count;
  }

 private:
  std::size_t rows_, given_ = 0;
  std::vector<unsigned char> row_;
};

TEST(PictureToAsc, AFileThatEndsEarlyFailsAfterTheLinesItGave) {
  for (std::size_t width : {10u, 4000u}) {  // read where converted, and read ahead
    SCOPED_TRACE(width);
    EndsEarly picture(width, 300);
    MemoryArtArea area;
    MemoryCharList list;
    EXPECT_FAILURE(PictureToAsc(picture, list, area), "Stream read error");
    EXPECT_EQ(area.LineCount(), 300u);
  }
}

}  // namespace
}  // namespace morvexa
