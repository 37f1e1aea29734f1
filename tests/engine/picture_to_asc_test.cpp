#include <gtest/gtest.h>

#include "../support/bmp_builder.h"
#include "bmp_decoder.h"
#include "memory_art_area.h"
#include "memory_char_list.h"
#include "picture_to_asc.h"

namespace morvexa {
namespace {

using Entries = std::vector<ByteString>;

PixelImage Image(std::size_t w, std::size_t h, const std::vector<Rgb>& pixels) {
  PixelImage image(w, h);
  std::copy(pixels.begin(), pixels.end(), image.pixels.get());
  return image;
}

// A picture of n colors in a row, met in order: color i is 0x010000 * i.
PixelImage Colors(unsigned n) {
  std::vector<Rgb> pixels;
  for (unsigned i = 0; i < n; ++i) pixels.push_back(0x010000 * i + 7);
  return Image(n, 1, pixels);
}

struct Converted {
  MemoryArtArea area{"old\r\n"};
  MemoryCharList list;
};

Converted Convert(const PixelImage& image) {
  Converted c;
  c.list.Add("x");
  PictureToAsc(image, c.list, c.area);
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
  const Converted c = Convert(DecodeBmp(file));
  EXPECT_EQ(c.area.Text(), "  !\r\n");
}

TEST(PictureToAsc, EachConversionStartsAfresh) {
  MemoryArtArea area;
  MemoryCharList list;
  PictureToAsc(Image(2, 1, {0x111111, 0x222222}), list, area);
  PictureToAsc(Image(2, 1, {0x222222, 0x111111}), list, area);
  EXPECT_EQ(area.Text(), " !\r\n");
  EXPECT_EQ(list.Entries(), (Entries{" ", "!"}));

  PictureToAsc(PixelImage{}, list, area);
  EXPECT_EQ(area.Text(), "");
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
}  // namespace morvexa
