#include <gtest/gtest.h>

#include "../support/bmp_builder.h"
#include <map>

#include "../support/failure_matchers.h"
#include "bmp_reader.h"
#include "memory_art_area.h"
#include "memory_char_list.h"
#include "picture_to_asc.h"

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

// A picture large enough to be read on a thread of its own, in bands,
// converted as a plain reference would: colors numbered as first met.
TEST(PictureToAsc, LargePicturesReadAheadGiveTheSameArt) {
  const std::size_t w = 1500, h = 900;
  std::vector<Rgb> pixels(w * h);
  std::uint32_t noise = 1;
  for (auto& p : pixels) {
    noise = noise * 1103515245 + 12345;
    p = noise >> 8 & 0x00F0F0F;  // a few thousand colors
  }
  std::map<Rgb, std::size_t> numbers;
  ByteString expected;
  for (std::size_t y = 0; y < h; ++y) {
    for (std::size_t x = 0; x < w; ++x) {
      const auto [at, added] = numbers.emplace(pixels[y * w + x], numbers.size());
      expected += static_cast<char>(at->second < 95 ? 32 + at->second : 33);
    }
    expected += "\r\n";
  }
  const Converted c = Convert(Image(w, h, pixels));
  EXPECT_EQ(c.area.Text(), expected);
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
