// Text art compared byte for byte with art drawn by hand from the glyphs.
#include <gtest/gtest.h>

#include "../support/data.h"
#include "../support/files.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"
#include "morvexa/text_to_asc.h"

namespace morvexa {
namespace {

const ByteString kBianCheng = "\xB1\xE0\xB3\xCC";  // 编程

// The expected art of 编程 with "$" for ink and a space for blank.
const ByteString& Expected() {
  static const ByteString art = testing_support::ReadFile(testing_support::DataPath("text/bian_cheng.txt"));
  return art;
}

ByteString Draw(ByteStringView fore, ByteStringView back) {
  MemoryArtArea area;
  MemoryCharList list;
  EXPECT_EQ(TextToAsc(kBianCheng, fore, back, list, area), TextToAscResult::Done);
  return area.Text();
}

// The expected art with each pixel drawn by ink(character) or blank.
ByteString Redraw(const std::function<ByteString(int character)>& ink, const ByteString& blank) {
  ByteString out;
  int pixel = 0;
  for (char c : Expected()) {
    if (c == '\r' || c == '\n') {
      out += c;
      pixel = 0;
      continue;
    }
    out += c == '$' ? ink(pixel / 16) : blank;
    ++pixel;
  }
  return out;
}

TEST(DrawnArt, EveryDrawingPathDrawsTheGlyphsOfTheFont) {
  ASSERT_EQ(Expected().size(), 544u);
  EXPECT_EQ(Draw("$", " "), Expected()) << "one-byte symbols";
  EXPECT_EQ(Draw("$$", " "), Redraw([](int) { return "$$"; }, "  ")) << "two-byte symbols";
  EXPECT_EQ(Draw("\xA3\xA4", "\xA1\xA1"), Redraw([](int) { return "\xA3\xA4"; }, "\xA1\xA1"))
      << "double-byte characters";
  EXPECT_EQ(Draw("\xD7\xD6", " "), Redraw([](int k) { return kBianCheng.substr(2 * k, 2); }, "  "))
      << "each character drawn with itself";
  EXPECT_EQ(Draw("", " "), Redraw([](int) { return ""; }, " ")) << "an empty foreground";
}

}  // namespace
}  // namespace morvexa
