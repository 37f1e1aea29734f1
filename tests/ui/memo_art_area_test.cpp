#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTest>
#include <random>

#include "memo_art_area.h"
#include "qt_text.h"

namespace morvexa {
namespace {

class MemoArea : public testing::Test {
 protected:
  void SetText(const ByteString& art) {
    memo.setPlainText(BytesToQString(art));
    area.Flush();
  }
  QPlainTextEdit memo;
  MemoArtArea area{&memo};
};

TEST_F(MemoArea, WrittenLinesShowAsLinesAndComeBackAsArtText) {
  area.Clear();
  for (std::size_t i = 0; i < 16; ++i) area.WriteLine(i, ByteString(32, i % 2 ? '$' : ' '));
  area.Flush();
  EXPECT_EQ(memo.document()->blockCount(), 17) << "16 lines and the empty line after the last break";
  EXPECT_EQ(area.Text().size(), 544u);
  EXPECT_TRUE(area.Text().ends_with("\r\n"));
  EXPECT_EQ(area.LineCount(), 16u);
  EXPECT_EQ(area.GetLine(1), ByteString(32, '$'));
}

TEST_F(MemoArea, LinesFollowTheArtTextRules) {
  SetText("ab\r\ncd");
  EXPECT_EQ(area.LineCount(), 2u);
  EXPECT_EQ(area.GetLine(1), "cd");
  SetText("ab\r\n");
  EXPECT_EQ(area.LineCount(), 1u);
  SetText("");
  EXPECT_EQ(area.LineCount(), 0u);

  SetText("ab\r\ncd\r\n");
  area.SetLine(0, "xy");
  area.Flush();
  EXPECT_EQ(memo.toPlainText(), "xy\ncd\n");
  EXPECT_EQ(area.Text(), "xy\r\ncd\r\n");
}

TEST_F(MemoArea, AnyBytesSurviveTheBoxUnchanged) {
  const ByteString samples[] = {
      "\xB1\xE0\xB3\xCC\r\n",       // 编程
      "\xB1.\xB3.\r\n.\xE0..\r\n",  // characters broken by a replacement
      "a\rb\nc\r\n\r\r\n\n",        // CR and LF that are not line breaks
      "\xFF\x80\x81\r\n\xFE",       // bytes that do not decode, no final break
      ByteString("\0x\0", 3),
  };
  for (const ByteString& art : samples) {
    SetText(art);
    EXPECT_EQ(area.Text(), art);
  }
  std::mt19937 random(2052);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int n = 0; n < 200; ++n) {
    ByteString art;
    for (int i = 0; i < 100; ++i) art += static_cast<char>(byte(random));
    SetText(art);
    ASSERT_EQ(area.Text(), art);
  }
}

TEST_F(MemoArea, UserEditsAreSeenByTheNextCommand) {
  SetText("$$\r\n");
  memo.moveCursor(QTextCursor::End);
  memo.insertPlainText("x");
  EXPECT_EQ(area.Text(), "$$\r\nx");
  area.Flush();
  memo.moveCursor(QTextCursor::Start);
  memo.insertPlainText("字😀");
  EXPECT_EQ(memo.toPlainText(), "字?$$\nx") << "characters that code page 936 cannot hold become ?";
  EXPECT_EQ(area.Text(), "\xD7\xD6?$$\r\nx");
}

}  // namespace
}  // namespace morvexa
