// The art in every form it leaves the program in, checked against the
// code page 936 art it comes from, with iconv and an HTML5 parser.
#include <regex>
#include <set>
#include <sstream>

#include "../support/bmp_builder.h"
#include "cli_fixture.h"

namespace morvexa {
namespace {

using testing_support::Cli;
using testing_support::Outcome;
using testing_support::Quote;
using testing_support::ReadFile;
using testing_support::WriteFile;
using ArtForms = Cli;

// What iconv makes of code page 936 art, each CR LF made an LF.
std::string Iconv(const std::string& gbk, const std::filesystem::path& dir) {
  WriteFile(dir / "gbk.txt", gbk);
  const std::string command = "iconv -f CP936 -t UTF-8 " + Quote(dir / "gbk.txt") + " >" + Quote(dir / "utf8.txt");
  EXPECT_EQ(std::system(command.c_str()), 0);
  std::string utf8 = ReadFile(dir / "utf8.txt");
  for (std::size_t at; (at = utf8.find("\r\n")) != std::string::npos;) utf8.erase(at, 1);
  return utf8;
}

// The text without its color escapes (ESC [ digits and semicolons m).
std::string StripEscapes(const std::string& ansi) {
  std::string text;
  for (std::size_t at = 0; at < ansi.size();) {
    const std::size_t escape = ansi.find("\x1b[", at);
    text.append(ansi, at, escape == std::string::npos ? std::string::npos : escape - at);
    if (escape == std::string::npos) break;
    at = ansi.find_first_not_of("0123456789;", escape + 2);
    EXPECT_TRUE(at != std::string::npos && ansi[at] == 'm') << "an escape that is not a color";
    ++at;
  }
  return text;
}

// The distinct colors that a form's escapes or spans set.
std::set<std::string> Colors(const std::string& art, const char* pattern) {
  std::set<std::string> colors;
  const std::regex color(pattern);
  for (auto it = std::sregex_iterator(art.begin(), art.end(), color); it != std::sregex_iterator(); ++it) {
    colors.insert((*it)[1]);
  }
  return colors;
}

class Forms : public ArtForms {
 protected:
  // The art of the text and of a picture, each with its own arguments.
  std::vector<std::vector<std::string>> Arts() {
    std::vector<unsigned> indices;
    for (unsigned i = 0; i < 40 * 12; ++i) indices.push_back(i % 40 < 17 ? 0 : 1 + i / 40 % 3);
    WriteFile(dir_ / "p.bmp",
              testing_support::BmpBuilder(40, 12, indices, {0xFF0000, 0x0000FF, 0x00FF00, 0x123456}).Build({40, 24}));
    // Lines longer than the writer's buffer, in every form: wide text with
    // a page's specials for symbols, and a picture of a color a cell.
    std::string wide;
    for (int i = 0; i < 200; ++i) wide += i % 3 ? "编" : "程";
    std::vector<unsigned> cells;
    std::vector<std::uint32_t> palette;
    for (unsigned i = 0; i < 200; ++i) palette.push_back(i * 0x010305);
    for (unsigned i = 0; i < 3000 * 3; ++i) cells.push_back(i * 7 % 200);
    WriteFile(dir_ / "wide.bmp", testing_support::BmpBuilder(3000, 3, cells, palette).Build({40, 24}));
    return {{"text", "编程字"},
            {"text", "字", "--fg", "字", "--bg", "."},
            {"picture", (dir_ / "p.bmp").string()},
            {"text", wide, "--fg", "&", "--bg", "<"},
            {"picture", (dir_ / "wide.bmp").string()}};
  }

  std::string Run(std::vector<std::string> args, const std::vector<std::string>& more, const std::string& prefix = "") {
    args.insert(args.end(), more.begin(), more.end());
    const Outcome run = RunCli(args, prefix);
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
  }
};

TEST_F(Forms, EachFormIsTheSameArt) {
  for (const auto& art : Arts()) {
    SCOPED_TRACE(testing::PrintToString(art));
    const std::string gbk = Run(art, {"-o", "-"});
    const std::string utf8 = Run(art, {"--format", "utf8"});
    EXPECT_EQ(utf8, Iconv(gbk, dir_)) << "utf8 is the code page 936 art as iconv converts it";
    EXPECT_EQ(Run(art, {}), utf8) << "the default off a terminal, as before";
    EXPECT_EQ(Run(art, {"--format", "gbk"}), gbk);
    EXPECT_EQ(Run(art, {"--format=utf8", "-o", "-"}), utf8);
    const std::string ansi = Run(art, {"--format", "ansi", "--color=always"});
    EXPECT_NE(ansi, utf8);
    EXPECT_EQ(StripEscapes(ansi), utf8) << "without its escapes, ansi is utf8";
    Run(art, {"--format", "html", "-o", (dir_ / "art.html").string()});
    const Outcome text = RunShell("/usr/bin/python3 " MORVEXA_HTML_TEXT " " + Quote(dir_ / "art.html"));
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, utf8) << "the page's text is utf8";
  }
}

TEST_F(Forms, AColorForEachColorOfThePicture) {
  std::vector<unsigned> indices;
  for (unsigned i = 0; i < 64; ++i) indices.push_back(i % 8 < 3 ? 0 : 1);
  WriteFile(dir_ / "two.bmp", testing_support::BmpBuilder(8, 8, indices, {0xFF8000, 0x0040C0}).Build({40, 24}));
  const std::string picture = (dir_ / "two.bmp").string();
  const std::string ansi = Run({"picture", picture}, {"--format", "ansi"}, "COLORTERM=truecolor");
  EXPECT_EQ(Colors(ansi, "\x1b\\[38;2;([0-9;]+)m"), (std::set<std::string>{"255;128;0", "0;64;192"}));
  const std::string palette = Run({"picture", picture}, {"--format", "ansi"}, "COLORTERM=");
  EXPECT_EQ(Colors(palette, "\x1b\\[38;5;([0-9]+)m").size(), 2u) << "256 colors when the terminal has no more";
  const std::string html = Run({"picture", picture}, {"--format", "html"});
  EXPECT_EQ(Colors(html, "color:#([0-9a-f]{6})"), (std::set<std::string>{"ff8000", "0040c0"}));

  // Replacing a symbol keeps the colors of its cells.
  const std::string replaced = Run({"picture", picture}, {"--format", "html", "--replace", " ", "@"});
  EXPECT_EQ(Colors(replaced, "color:#([0-9a-f]{6})"), (std::set<std::string>{"ff8000", "0040c0"}));
  EXPECT_NE(replaced.find(">@@@<"), std::string::npos);

  // Text art: ink and blank in their own colors.
  const std::string text = Run({"text", "编", "--fg-color", "#c00", "--bg-color", "#000080"}, {"--format", "html"});
  EXPECT_EQ(Colors(text, "color:#([0-9a-f]{6})"), (std::set<std::string>{"cc0000", "000080"}));
}

// Cells of block elements keep their own colors: two flat halves that
// differ in blue alone are not taken for one another.
TEST_F(Forms, CellsThatDifferInBlueAloneKeepTheirColors) {
  std::vector<unsigned> indices;
  for (unsigned i = 0; i < 64 * 32; ++i) indices.push_back(i % 64 < 32 ? 0 : 1);
  WriteFile(dir_ / "halves.bmp", testing_support::BmpBuilder(64, 32, indices, {0xFF0000, 0xFF00FF}).Build({40, 24}));
  const std::string red = "255;0;0", magenta = "255;0;255";
  for (const char* blocks : {"--blocks", "--blocks=fine"}) {
    const std::string ansi = Run({"picture", (dir_ / "halves.bmp").string()},
                                 {blocks, "--width", "8", "--format", "ansi", "--palette", "truecolor"}, "");
    std::istringstream lines(ansi);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
      SCOPED_TRACE(std::string(blocks) + ", line " + std::to_string(count));
      // Where the fifth cell's escapes begin: past four characters, each
      // after its escapes.
      std::size_t cells = 0, at = 0;
      while (at < line.size() && cells < 4) {
        if (line[at] == '\x1b') {
          at = line.find('m', at) + 1;
          continue;
        }
        ++cells;
        do ++at;
        while (at < line.size() && (static_cast<unsigned char>(line[at]) & 0xC0) == 0x80);
      }
      ASSERT_EQ(cells, 4u);
      EXPECT_EQ(Colors(line.substr(0, at), "\x1b\\[[34]8;2;([0-9;]+)m"), (std::set<std::string>{red}));
      EXPECT_EQ(Colors(line.substr(at), "\x1b\\[[34]8;2;([0-9;]+)m"), (std::set<std::string>{magenta}));
    }
    EXPECT_GT(count, 0);
  }
}

// Fine blocks draw a line one pixel wide at a cell's left as the left
// eighth block.
TEST_F(Forms, FineBlocksDrawThinLinesAsEighths) {
  std::vector<unsigned> indices;
  for (unsigned i = 0; i < 64 * 128; ++i) indices.push_back(i % 64 == 0 || i % 64 == 8 || i % 64 == 16 ? 1 : 0);
  WriteFile(dir_ / "lines.bmp", testing_support::BmpBuilder(64, 128, indices, {0xFFFFFF, 0x000000}).Build({40, 24}));
  const std::string utf8 =
      Run({"picture", (dir_ / "lines.bmp").string()}, {"--blocks=fine", "--width", "8", "--format", "utf8"});
  std::istringstream lines(utf8);
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) EXPECT_EQ(line, "\u258F\u258F\u258F     ") << count;
  EXPECT_GT(count, 0);
}

TEST_F(Forms, EscapesOnlyWhereColorsAreWanted) {
  const std::vector<std::string> text = {"text", "编"};
  auto escapes = [](const std::string& out) { return out.find('\x1b') != std::string::npos; };
  EXPECT_FALSE(escapes(Run(text, {}))) << "not on a terminal";
  EXPECT_TRUE(escapes(Run(text, {"--color=always"})));
  EXPECT_TRUE(escapes(Run(text, {"--color"})));
  EXPECT_FALSE(escapes(Run(text, {"--format", "ansi", "--color=never"})));
  EXPECT_FALSE(escapes(Run(text, {"--format", "ansi"}, "NO_COLOR=1")));
  EXPECT_TRUE(escapes(Run(text, {"--format", "ansi"}))) << "asked for by name";
  EXPECT_TRUE(escapes(Run(text, {"--format", "ansi", "--color=always"}, "NO_COLOR=1"))) << "the flag overrides";
  EXPECT_FALSE(escapes(Run(text, {"--color=never", "-o", "-"})));
  // Paper is painted only where a banner's colors are given.
  EXPECT_EQ(Run(text, {"--format", "html"}).find("background:#"), std::string::npos);
  EXPECT_NE(Run(text, {"--format", "html", "--bg-color", "#000080"}).find("background:#"), std::string::npos);
}

TEST_F(Forms, BytesThatDoNotDecodeAreReplacedAndCounted) {
  // 癅 is 0xB0 0x40: with "@" (0x40) the background symbol, replacing "@"
  // by "#" breaks every 癅 drawn with itself, leaving a lone 0xB0.
  const std::vector<std::string> broken = {"text", "癅", "--fg", "字", "--bg", "@", "--replace", "@", "#"};
  const std::string gbk = Run(broken, {"-o", "-"});
  const std::size_t lone = static_cast<std::size_t>(std::count(gbk.begin(), gbk.end(), '\xB0'));
  ASSERT_GT(lone, 0u);
  const Outcome utf8 = RunCli([&] {
    auto args = broken;
    args.insert(args.end(), {"--format", "utf8"});
    return args;
  }());
  EXPECT_EQ(utf8.status, 0);
  std::size_t replaced = 0;
  for (std::size_t at = 0; (at = utf8.out.find("\xEF\xBF\xBD", at)) != std::string::npos; at += 3) ++replaced;
  EXPECT_EQ(replaced, lone);
  EXPECT_NE(utf8.err.find("morvexa-cli: warning: " + std::to_string(lone) +
                          " bytes that code page 936 cannot decode were written as U+FFFD\n"),
            std::string::npos)
      << utf8.err;
}

TEST_F(Forms, LargePicturesAreStreamedInEveryForm) {
  std::vector<unsigned> indices(300 * 200);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<unsigned>(i % 7);
  WriteFile(dir_ / "big.bmp",
            testing_support::BmpBuilder(300, 200, indices, {0, 0xFF, 0xFF00, 0xFF0000, 0xFFFF, 0xFF00FF, 0xFFFFFF})
                .Build({40, 24}));
  const std::string utf8 = Run({"picture", (dir_ / "big.bmp").string()}, {"--format", "utf8", "-o", "-"});
  EXPECT_EQ(utf8.size(), 200u * 301u);
  const std::string ansi = Run({"picture", (dir_ / "big.bmp").string()}, {"--format", "ansi", "-o", "-", "--color"});
  EXPECT_EQ(StripEscapes(ansi), utf8);
}

TEST_F(Forms, UnknownFormsAndColorsAreRefused) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"text", "编", "--format", "pdf"},
                                             {"text", "编", "--color=sometimes"},
                                             {"text", "编", "--fg-color", "nope"},
                                             {"picture", "x.bmp", "--bg-color", "red"}}) {
    EXPECT_EQ(RunCli(args).status, 2) << testing::PrintToString(args);
  }
}

}  // namespace
}  // namespace morvexa
