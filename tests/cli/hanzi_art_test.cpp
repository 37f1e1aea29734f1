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
      {{"--hanzi", "--fill", "--format", "html"}, "--fill is not for --hanzi"},
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

}  // namespace
}  // namespace morvexa
