// morvexa-cli text: banners of any text, compared with GNU Unifont's own
// .hex file as the Debian package installs it; rows, sizes, installed
// fonts, and the width of a terminal.
#include <wchar.h>

#include <clocale>
#include <random>

#include "../support/data.h"
#include "../support/unifont_hex.h"
#include "cli_fixture.h"
#include "morvexa/cp936.h"
#include "on_terminal.h"

namespace morvexa {
namespace {

namespace fs = std::filesystem;
using testing_support::Cli;
using testing_support::Outcome;
using testing_support::ReadFile;

// The lines of art shown on standard output.
std::vector<std::string> Lines(const std::string& out) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < out.size();) {
    const std::size_t end = out.find('\n', at);
    lines.push_back(out.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

// The banner of text that Unifont's glyphs make, "#" for ink and "." for
// blank: what the program should draw, each glyph as wide as Unifont draws
// it (the built-in 16x16 GB2312 font is made from the same glyphs).
std::vector<std::string> Expected(const testing_support::HexFont& unifont, std::u32string_view text) {
  std::vector<std::string> rows(16);
  for (const char32_t c : text) {
    const testing_support::HexGlyph& glyph = unifont.at(c);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < glyph.width; ++x) rows[static_cast<std::size_t>(y)] += glyph.Inked(x, y) ? '#' : '.';
    }
  }
  return rows;
}

class Banners : public Cli {
 protected:
  void SetUp() override {
    Cli::SetUp();
    unifont_ = testing_support::ReadUnifontHex();
    if (!unifont_) GTEST_FAIL() << "the unifont package is not installed, though scripts/test installs it";
  }
  std::optional<testing_support::HexFont> unifont_;
};

TEST_F(Banners, AnyTextIsDrawnWithUnifontsGlyphs) {
  for (const std::u32string& text :
       {std::u32string(U"Hello 2026 世界!"), std::u32string(U"繁體中文"), std::u32string(U"한글かな"),
        std::u32string(U"新年快乐 2027"), std::u32string(U"aé Ελλάδα Европа ±°×")}) {
    const std::string utf8 = cp936::Utf8Encode(text);
    SCOPED_TRACE(utf8);
    const Outcome run = RunCli({"text", utf8, "--fg", "#", "--bg", "."});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "") << "nothing is drawn wrong, so nothing is warned of";
    EXPECT_EQ(Lines(run.out), Expected(*unifont_, text));
  }
}

TEST_F(Banners, HundredsOfRandomCharactersOfManyScriptsAreDrawnAsUnifontDrawsThem) {
  // Latin, CJK (Simplified and Traditional), Hangul syllables, kana.
  const std::pair<char32_t, char32_t> ranges[] = {
      {0x41, 0x7A}, {0xC0, 0x17F}, {0x4E00, 0x9FA5}, {0xAC00, 0xD7A3}, {0x3041, 0x3096}, {0x30A1, 0x30FA},
  };
  std::mt19937 random(18);
  std::u32string text;
  while (text.size() < 300) {
    const auto& [first, last] = ranges[random() % std::size(ranges)];
    const char32_t c = first + static_cast<char32_t>(random() % (last - first + 1));
    if (unifont_->contains(c) && c != U'\\') text += c;
  }
  // Twenty characters a run, so that each run is a line of its own.
  for (std::size_t at = 0; at < text.size(); at += 20) {
    const std::u32string part = text.substr(at, 20);
    const Outcome run = RunCli({"text", cp936::Utf8Encode(part), "--fg", "#", "--bg", "."});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.out), Expected(*unifont_, part)) << cp936::Utf8Encode(part);
  }
}

TEST_F(Banners, Gb2312TextIsByteForByteAsTheWindowDrawsIt) {
  const Outcome saved = RunCli({"text", "编程", "-o", dir_ / "x.txt"});
  ASSERT_EQ(saved.status, 0) << saved.err;
  EXPECT_EQ(ReadFile(dir_ / "x.txt"), ReadFile(testing_support::DataPath("text/bian_cheng.txt")));
  EXPECT_EQ(ReadFile(dir_ / "x.txt").size(), 544u);
}

TEST_F(Banners, LinesScaleSquareAndFonts) {
  // A line break starts a new row of banner.
  const Outcome rows = RunCli({"text", "一\n二", "--fg", "#", "--bg", "."});
  ASSERT_EQ(rows.status, 0) << rows.err;
  std::vector<std::string> expected = Expected(*unifont_, U"一");
  for (const std::string& line : Expected(*unifont_, U"二")) expected.push_back(line);
  EXPECT_EQ(Lines(rows.out), expected);

  // Each pixel N x N symbols; or two wide.
  const auto one = Lines(RunCli({"text", "A字", "--fg", "#", "--bg", "."}).out);
  const auto two = Lines(RunCli({"text", "A字", "--fg", "#", "--bg", ".", "--scale", "2"}).out);
  ASSERT_EQ(one.size(), 16u);
  ASSERT_EQ(two.size(), 32u);
  for (std::size_t y = 0; y < two.size(); ++y) {
    std::string doubled;
    for (const char c : one[y / 2]) doubled += std::string(2, c);
    EXPECT_EQ(two[y], doubled) << "line " << y;
  }
  const auto square = Lines(RunCli({"text", "A字", "--fg", "#", "--bg", ".", "--square"}).out);
  ASSERT_EQ(square.size(), 16u);
  EXPECT_EQ(square[5].size(), 2 * one[5].size());

  // An installed font, at the size asked for.
  const Outcome uming = RunCli({"text", "永", "--font", "AR PL UMing CN", "--size", "24"});
  if (uming.status == 0) {
    EXPECT_EQ(Lines(uming.out).size(), 24u);
  } else {
    EXPECT_NE(uming.err.find("Cannot open font"), std::string::npos) << uming.err;
  }
  const Outcome missing = RunCli({"text", "永", "--font", "No Such Font Family"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "morvexa-cli: Cannot open font No Such Font Family.\n");
}

TEST_F(Banners, OnATerminalABannerWiderThanTheScreenGoesOnUnderItself) {
  // Seven characters of 16 columns: 112 columns.
  const std::vector<std::string> lines = testing_support::ShownLines(testing_support::OnTerminal(
      {"text", "新年快乐你好啊", "--fg", "#", "--bg", "."}, 80, 24, {{"LC_ALL", "C.UTF-8"}, {"NO_COLOR", "1"}}));
  ASSERT_EQ(lines.size(), 32u) << "two rows of banner";
  for (const std::string& line : lines) EXPECT_LE(line.size(), 80u);
  const auto first = Expected(*unifont_, U"新年快乐你"), second = Expected(*unifont_, U"好啊");
  for (std::size_t y = 0; y < 16; ++y) {
    EXPECT_EQ(lines[y], first[y]);
    EXPECT_EQ(lines[16 + y], second[y]);
  }
  // In a pipe or a file nothing wraps.
  const Outcome piped = RunCli({"text", "新年快乐你好啊", "--fg", "#", "--bg", "."});
  EXPECT_EQ(Lines(piped.out).size(), 16u);
  EXPECT_EQ(Lines(piped.out)[0].size(), 112u);
}

TEST_F(Banners, LinesKeepOneWidthOnTheScreenWhateverTheSymbols) {
  std::setlocale(LC_CTYPE, "C.UTF-8");
  // A full block takes one column in UTF-8, 字 two; 😀 two.
  for (const auto& [fore, back] :
       {std::pair{"█", " "}, std::pair{"字", "."}, std::pair{"#", "😀"}, std::pair{"■", "□"}, std::pair{"ab", "c"}}) {
    SCOPED_TRACE(std::string(fore) + back);
    const Outcome run = RunCli({"text", "Ag字", "--fg", fore, "--bg", back}, "LC_ALL=C.UTF-8");
    ASSERT_EQ(run.status, 0) << run.err;
    std::optional<int> width;
    for (const std::string& line : Lines(run.out)) {
      const std::u32string chars = *cp936::Utf8Decode(line);
      int columns = 0;
      for (const char32_t c : chars) columns += wcwidth(static_cast<wchar_t>(c));
      if (!width) width = columns;
      EXPECT_EQ(columns, *width) << line;
      EXPECT_EQ(columns % 32, 0) << "32 pixels, each as wide as the widest symbol";
    }
  }
}

}  // namespace
}  // namespace morvexa
