// Color reduction by libimagequant, measured by what it leaves allocated.
#include <gtest/gtest.h>
#include <malloc.h>

#include "convert/color_reduction.h"

namespace morvexa {
namespace {

std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// Reducing a picture of more than 4,194,304 pixels (which libimagequant
// treats as large, keeping only rows of it converted at a time) leaves
// nothing allocated once its result is gone, however often it is done.
TEST(ColorReduction, LargePicturesLeaveNothingAllocated) {
  PixelImage picture(2100, 2100);
  for (std::size_t y = 0; y < picture.height; ++y) {
    for (std::size_t x = 0; x < picture.width; ++x)
      picture.Row(y)[x] = static_cast<Rgb>(x / 50 * 0x060402 + y / 300 * 0x20);
  }
  PixelRows rows(picture);
  (void)ReduceColors(rows, 16, true);  // what the first reduction sets up for good (threads) is left
  const std::size_t before = HeapInUse();
  for (const bool dither : {false, true}) (void)ReduceColors(rows, 16, dither);
  EXPECT_LT(HeapInUse(), before + 16 * 1024) << "bytes left after two reductions";
}

}  // namespace
}  // namespace morvexa
