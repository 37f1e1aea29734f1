// Pictures drawn in Chinese characters from the command line: the code
// page 936 art read back with iconv, and the sets of characters refused.
#include <set>
#include <sstream>

#include "../support/bmp_builder.h"
#include "cli_fixture.h"

namespace morvexa {
namespace {

using testing_support::Cli;
using testing_support::Outcome;
using testing_support::Quote;
using testing_support::WriteFile;

class Hanzi : public Cli {
 protected:
  // A picture of a dark disc on light paper, 64 x 64.
  std::string Disc() {
    std::vector<unsigned> indices;
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) indices.push_back((x - 32) * (x - 32) + (y - 32) * (y - 32) < 400 ? 1 : 0);
    }
    const std::filesystem::path path = dir_ / "disc.bmp";
    WriteFile(path, testing_support::BmpBuilder(64, 64, indices, {0xFFFFFF, 0x202020}).Build({40, 24}));
    return path.string();
  }
};

// The characters of UTF-8 text, one string each.
std::vector<std::string> Utf8Characters(const std::string& text) {
  std::vector<std::string> characters;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    characters.push_back(text.substr(i, length));
    i += length;
  }
  return characters;
}

// The characters of cycle (UTF-8) over again in lines of cells each.
std::string ExpectedCycle(const std::string& cycle, std::size_t lines, std::size_t cells) {
  const std::vector<std::string> characters = Utf8Characters(cycle);
  std::string out;
  for (std::size_t n = 0; n < lines * cells; ++n) {
    out += characters[n % characters.size()];
    if (n % cells == cells - 1) out += "\n";
  }
  return out;
}

TEST_F(Hanzi, GbkArtReadsBackAsTheCharactersGiven) {
  const std::string disc = Disc();
  const Outcome gbk = RunShell(std::string(MORVEXA_CLI) + " picture " + Quote(disc) +
                               " --hanzi=山水花鸟风月 --width 16 --format gbk | iconv -f CP936 -t UTF-8 | tr -d '\\r'");
  ASSERT_EQ(gbk.status, 0) << gbk.err;
  const std::set<std::string> allowed = {"山", "水", "花", "鸟", "风", "月", "\u3000", "\n"};
  std::size_t lines = 0, inked = 0;
  for (const std::string& c : Utf8Characters(gbk.out)) {
    EXPECT_TRUE(allowed.count(c)) << c;
    lines += c == "\n";
    inked += c != "\n" && c != "\u3000";
  }
  // 16 columns are 8 cells, and the picture square: 8 lines.
  EXPECT_EQ(lines, 8u);
  EXPECT_GT(inked, 0u);
  std::istringstream each(gbk.out);
  for (std::string line; std::getline(each, line);) EXPECT_EQ(Utf8Characters(line).size(), 8u) << line;
  // The UTF-8 form holds the same characters.
  const Outcome utf8 = RunCli({"picture", disc, "--hanzi=山水花鸟风月", "--width", "16", "--format", "utf8"});
  EXPECT_EQ(utf8.out, gbk.out);
}

TEST_F(Hanzi, TheDefaultSetIsGb2312sFirstLevel) {
  const Outcome gbk = RunCli({"picture", Disc(), "--hanzi", "--width", "40", "--format", "gbk"});
  ASSERT_EQ(gbk.status, 0) << gbk.err;
  for (std::size_t i = 0; i < gbk.out.size();) {
    const auto lead = static_cast<unsigned char>(gbk.out[i]);
    if (lead == '\r' || lead == '\n') {
      ++i;
      continue;
    }
    ASSERT_LT(i + 1, gbk.out.size());
    const auto trail = static_cast<unsigned char>(gbk.out[i + 1]);
    const bool space = lead == 0xA1 && trail == 0xA1;
    const bool level1 =
        lead >= 0xB0 && lead <= 0xD7 && trail >= 0xA1 && trail <= 0xFE && !(lead == 0xD7 && trail > 0xF9);
    EXPECT_TRUE(space || level1) << std::hex << int{lead} << " " << int{trail};
    i += 2;
  }
}

TEST_F(Hanzi, SetsThatCannotDrawAreRefusedWithNothingWritten) {
  const std::string disc = Disc();
  struct Case {
    std::vector<std::string> args;
    std::string said;
  } cases[] = {
      {{"--hanzi="}, "--hanzi was given no character"},
      {{"--hanzi=abc"}, "the built-in font has none of the characters of --hanzi"},
      {{"--hanzi=山\U0001F600水\u20AC"}, "cannot hold U+1F600 of --hanzi"},
      {{"--hanzi", "--ramp"}, "cannot be used together"},
      {{"--hanzi-text= \u3000\t"}, "--hanzi-text has no character to lay through the picture"},
      {{"--hanzi-text=山\U0001F600"}, "cannot hold U+1F600 of --hanzi-text"},
      {{"--hanzi-text=@" + (dir_ / "no such poem.txt").string()}, "cannot read"},
      {{"--hanzi", "--hanzi-text=山"}, "--hanzi and --hanzi-text cannot be used together"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"picture", disc, "-o", (dir_ / "art.txt").string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome refused = RunCli(args);
    EXPECT_EQ(refused.status, 2) << c.said;
    EXPECT_NE(refused.err.find(c.said), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "art.txt")) << c.said;
  }
}

TEST_F(Hanzi, ATextFromAFileInUtf8OrCodePage936IsLaidAsTyped) {
  const std::string disc = Disc();
  // A poem of two lines, with its punctuation, in both encodings.
  const std::string poem = "床前明月光，\n疑是地上霜。\n";
  WriteFile(dir_ / "poem.txt", poem);
  const Outcome toGbk = RunShell("iconv -f UTF-8 -t CP936 " + Quote((dir_ / "poem.txt").string()),
                                 Quote((dir_ / "poem-gbk.txt").string()));
  ASSERT_EQ(toGbk.status, 0) << toGbk.err;
  std::vector<std::string> arts;
  for (const std::string& text : std::vector<std::string>{"--hanzi-text=床前明月光，疑是地上霜。",
                                                          "--hanzi-text=@" + (dir_ / "poem.txt").string(),
                                                          "--hanzi-text=@" + (dir_ / "poem-gbk.txt").string()}) {
    const Outcome art = RunCli({"picture", disc, text, "--width", "24", "--format", "utf8"});
    ASSERT_EQ(art.status, 0) << text << art.err;
    arts.push_back(art.out);
  }
  EXPECT_EQ(arts[1], arts[0]);
  EXPECT_EQ(arts[2], arts[0]);
  // Read without the blank cells and the line breaks, the art is the poem
  // over again; the corners, off the disc, are blank.
  std::string read;
  std::vector<std::string> lines;
  std::istringstream each(arts[0]);
  for (std::string line; std::getline(each, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 12u);
  for (const std::string& line : lines) {
    const std::vector<std::string> cells = Utf8Characters(line);
    ASSERT_EQ(cells.size(), 12u) << line;
    for (const std::string& c : cells) read += c == "\u3000" ? "" : c;
  }
  EXPECT_EQ(Utf8Characters(lines.front()).front(), "\u3000");
  EXPECT_EQ(Utf8Characters(lines.back()).back(), "\u3000");
  const std::string once = "床前明月光，疑是地上霜。";
  ASSERT_GT(read.size(), once.size());
  std::string expected;
  while (expected.size() < read.size()) expected += once;
  EXPECT_EQ(read, expected.substr(0, read.size()));
}

TEST_F(Hanzi, AsciiOfTheTextIsLaidFullWidthAndColorsGiveEveryCellACharacter) {
  const Outcome plain = RunCli({"picture", Disc(), "--hanzi-text=Hi!", "--width", "8", "--format", "utf8"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  for (const std::string& c : Utf8Characters(plain.out)) {
    EXPECT_TRUE(c == "Ｈ" || c == "ｉ" || c == "！" || c == "\u3000" || c == "\n") << c;
  }
  // In colors, no cell is blank: 4 cells a line, 4 lines.
  const Outcome ansi = RunShell(std::string(MORVEXA_CLI) + " picture " + Quote(Disc()) +
                                " --hanzi-text=Hi! --width 8 --format ansi | sed 's/\\x1b\\[[0-9;]*m//g'");
  ASSERT_EQ(ansi.status, 0) << ansi.err;
  EXPECT_EQ(ansi.out, ExpectedCycle("Ｈｉ！", 4, 4));
}

TEST_F(Hanzi, ArtIsMatchedToTheGlyphsOfTheFontItWillBeReadIn) {
  const std::string disc = Disc();
  const Outcome builtIn = RunCli({"picture", disc, "--hanzi", "--width", "24", "--format", "utf8"});
  const Outcome kai = RunCli({"picture", disc, "--hanzi", "--width", "24", "--format", "utf8", "--glyphs-of",
                              "/usr/share/fonts/truetype/arphic/ukai.ttc"});
  ASSERT_EQ(builtIn.status, 0) << builtIn.err;
  ASSERT_EQ(kai.status, 0) << kai.err;
  EXPECT_NE(kai.out, builtIn.out);
  EXPECT_EQ(Utf8Characters(kai.out).size(), Utf8Characters(builtIn.out).size());
  // A font without Chinese characters draws none: refused, nothing written.
  const std::filesystem::path art = dir_ / "art.txt";
  for (const char* way : {"--hanzi", "--hanzi-text=山"}) {
    const Outcome latin = RunCli({"picture", disc, way, "--glyphs-of", "DejaVu Sans Mono", "-o", art.string()});
    EXPECT_EQ(latin.status, 2) << way;
    EXPECT_NE(latin.err.find("DejaVu Sans Mono has no glyph for any of the Chinese characters"), std::string::npos)
        << latin.err;
    EXPECT_FALSE(std::filesystem::exists(art));
  }
}

}  // namespace
}  // namespace morvexa
