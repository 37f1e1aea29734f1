// The window's memory over many conversions of a large picture with its
// colors reduced: what one conversion takes is given back by the next.
#include <malloc.h>

#include <random>

#include "../support/bmp_builder.h"
#include "picture_preview.h"
#include "picture_settings.h"
#include "window_fixture.h"

namespace morvexa {
namespace {

using WindowMemory = WindowTest;

// What the program has taken from the allocator and not given back.
std::size_t InUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

TEST_F(WindowMemory, DoesNotGrowOverTwentyConversions) {
  // 2100 x 2100 pixels of 256 colors, reduced to 8: large enough for the
  // color reduction's larger buffers (more than 4,194,304 pixels).
  constexpr unsigned kSide = 2100;
  std::mt19937 random(3);
  std::vector<unsigned> indices(kSide * kSide);
  for (unsigned& index : indices) index = random() % 256;
  std::vector<std::uint32_t> palette(256);
  for (std::uint32_t& color : palette) color = random() & 0xFFFFFF;
  WriteFile(dir / "big.bmp", testing_support::BmpBuilder(kSide, kSide, indices, palette).Build({40, 8}));
  PictureOptions reduced;
  reduced.way = ReducedColors{8};
  window.OpenDialog().findChild<PictureSettings*>()->SetOptions(reduced);

  std::size_t mostEarly = 0, mostLate = 0;
  for (int conversion = 1; conversion <= 20; ++conversion) {
    window.ConvertPictureCommand(Path("big.bmp"));
    QCoreApplication::processEvents();
    std::size_t& most = conversion <= 10 ? mostEarly : mostLate;
    most = std::max(most, InUse());
  }
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(window.Art().LineCount(), kSide);
  // The undo steps a large art may keep are few (see MemoArtArea), so the
  // second ten conversions hold no more than the first ten did.
  EXPECT_LE(mostLate, mostEarly + (1 << 20)) << mostEarly << " then " << mostLate << " bytes";
  window.OpenDialog().findChild<PictureSettings*>()->SetOptions(PictureOptions{});
}

}  // namespace
}  // namespace morvexa
