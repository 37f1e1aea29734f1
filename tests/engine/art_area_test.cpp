#include <gtest/gtest.h>

#include "../support/art.h"
#include "morvexa/memory_art_area.h"

namespace morvexa {
namespace {

TEST(ArtArea, WrittenLinesMakeTheArtText) {
  MemoryArtArea area("old\r\ntext");
  area.Clear();
  EXPECT_EQ(area.Text(), "");
  EXPECT_EQ(area.LineCount(), 0u);
  const ByteString line(32, '$');
  for (std::size_t i = 0; i < 16; ++i) area.WriteLine(i, line);
  const ByteString text = area.Text();
  EXPECT_EQ(text.size(), 544u);
  EXPECT_TRUE(text.ends_with("\r\n"));
  EXPECT_EQ(area.LineCount(), 16u);
  EXPECT_EQ(area.GetLine(15), line);
}

TEST(ArtArea, SplitsAtEachCrLf) {
  struct Case {
    const char* name;
    ByteString text;
    std::vector<ByteString> lines;
  };
  const Case cases[] = {
      {"no final break", "ab\r\ncd", {"ab", "cd"}},
      {"final break is not a line", "ab\r\n", {"ab"}},
      {"empty area", "", {}},
      {"single break is one empty line", "\r\n", {""}},
      {"empty lines between", "\r\n\r\nx\r\n", {"", "", "x"}},
      {"lone CR and LF stay in the line", "a\rb\nc\r\n", {"a\rb\nc"}},
      {"CR at the very end", "ab\r", {"ab\r"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryArtArea area(c.text);
    ASSERT_EQ(area.LineCount(), c.lines.size());
    for (std::size_t i = 0; i < c.lines.size(); ++i) EXPECT_EQ(area.GetLine(i), c.lines[i]);
    EXPECT_EQ(area.Text(), c.text) << "the text must come back byte for byte";
  }
}

TEST(ArtArea, SetLineKeepsTheLineBreaks) {
  MemoryArtArea area("ab\r\ncd\r\n");
  area.SetLine(0, "xy");
  EXPECT_EQ(area.Text(), "xy\r\ncd\r\n");

  MemoryArtArea unterminated("ab\r\ncd");
  unterminated.SetLine(1, "longer");
  EXPECT_EQ(unterminated.Text(), "ab\r\nlonger");
  unterminated.SetLine(0, "");
  EXPECT_EQ(unterminated.Text(), "\r\nlonger");
  EXPECT_EQ(unterminated.LineCount(), 2u);
}

TEST(ArtArea, WrittenLinesComeBackAsTheyWereWritten) {
  const std::vector<ByteString> lines = {"$$  ", "", "\xB1\xE0"};
  MemoryArtArea area;
  for (std::size_t i = 0; i < lines.size(); ++i) area.WriteLine(i, lines[i]);
  EXPECT_EQ(area.Text(), "$$  \r\n\r\n\xB1\xE0\r\n");
  EXPECT_EQ(testing_support::Lines(area), lines);
}

TEST(ArtArea, LinesAreAlwaysThoseOfTheTextSplitAtEveryCrLf) {
  // A line whose symbols hold CR LF becomes two, as in the window.
  MemoryArtArea area;
  area.WriteLine(0, "\n\r\n\r");
  area.WriteLine(1, "a\r\nb");
  area.WriteLine(2, "c");
  EXPECT_EQ(area.Text(), "\n\r\n\r\r\na\r\nb\r\nc\r\n");
  EXPECT_EQ(testing_support::Lines(area), (std::vector<ByteString>{"\n", "\r", "a", "b", "c"}));

  // A replacement that makes a CR LF inside a line splits it too.
  MemoryArtArea replaced("a\rxb\r\ncd\r\n");
  replaced.SetLine(0, "a\r\nb");
  EXPECT_EQ(testing_support::Lines(replaced), (std::vector<ByteString>{"a", "b", "cd"}));
  replaced.SetLine(1, "longer");
  EXPECT_EQ(replaced.Text(), "a\r\nlonger\r\ncd\r\n");
  EXPECT_EQ(replaced.GetLine(2), "cd");
}

}  // namespace
}  // namespace morvexa
