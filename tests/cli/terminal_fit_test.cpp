// A picture shown on a terminal: on a pseudo-terminal of a known size, the
// art fits the screen; anywhere else it is one symbol per pixel, as ever.
#include <algorithm>
#include <regex>

#include "../support/bmp_builder.h"
#include "cli_fixture.h"
#include "on_terminal.h"

namespace morvexa {
namespace {

using testing_support::Cli;
using testing_support::WriteFile;

using testing_support::OnTerminal;
using testing_support::RunOnTerminal;
using testing_support::ShownLines;
using testing_support::TerminalLook;
using testing_support::TerminalRun;

class TerminalFit : public Cli {
 protected:
  void SetUp() override {
    Cli::SetUp();
    // A 512 x 512 picture: a dark disc on light paper.
    std::vector<unsigned> indices;
    for (int y = 0; y < 512; ++y) {
      for (int x = 0; x < 512; ++x) indices.push_back((x - 256) * (x - 256) + (y - 256) * (y - 256) < 150 * 150);
    }
    picture_ = (dir_ / "disc.bmp").string();
    WriteFile(picture_, testing_support::BmpBuilder(512, 512, indices, {0xF0E8D0, 0x203050}).Build({40, 8}));
  }

  // A smooth picture of many tones, 256 x 256, made by ImageMagick.
  std::string Photo() {
    const std::string photo = (dir_ / "photo.png").string();
    EXPECT_EQ(
        RunShell("convert -size 256x256 -seed 5 plasma:fractal -blur 0x2 " + testing_support::Quote(photo)).status, 0)
        << "ImageMagick, from Debian's imagemagick package";
    return photo;
  }

  std::string picture_;
};

// The characters of a line of UTF-8.
std::size_t Characters(const std::string& line) {
  return static_cast<std::size_t>(
      std::count_if(line.begin(), line.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

TEST_F(TerminalFit, APictureFitsTheTerminalItIsShownOn) {
  // Without colors, on a light terminal: 23 lines (one is left for the
  // prompt) of 46 columns, the picture's proportions in cells twice as tall
  // as wide, in block elements.
  const TerminalLook light{"rgb:ffff/ffff/ffff"};
  const std::string plain =
      OnTerminal({"picture", picture_}, 80, 24, {{"NO_COLOR", "1"}, {"TERM", "xterm-256color"}}, light);
  EXPECT_EQ(plain.find('\x1b'), std::string::npos) << "no colors";
  const std::vector<std::string> lines = ShownLines(plain);
  ASSERT_EQ(lines.size(), 23u) << plain.substr(0, 400);
  for (const std::string& line : lines) EXPECT_EQ(Characters(line), 46u) << line;
  // The dark disc is drawn in full blocks, the paper around it blank.
  EXPECT_EQ(lines[11].find(' '), 0u) << lines[11];
  EXPECT_NE(lines[11].find("████████"), std::string::npos) << lines[11];
  EXPECT_EQ(lines[0], std::string(46, ' ')) << "the paper around the disc is left blank";

  // Light on dark, asked for or on a terminal that does not say (dark, the
  // more common): the light paper around the disc is inked.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"picture", picture_, "--invert"}, std::vector<std::string>{"picture", picture_}}) {
    const std::vector<std::string> inverted = ShownLines(OnTerminal(args, 80, 24, {{"NO_COLOR", "1"}}));
    ASSERT_EQ(inverted.size(), 23u);
    EXPECT_EQ(inverted[0].find(' '), std::string::npos) << inverted[0];
  }

  // A terminal as large as can be: a symbol a pixel at most.
  const std::vector<std::string> huge =
      ShownLines(OnTerminal({"picture", picture_}, 65535, 65535, {{"NO_COLOR", "1"}}));
  EXPECT_LE(huge.size(), 512u);
  EXPECT_GE(huge.size(), 200u);
  for (const std::string& line : huge) EXPECT_LE(Characters(line), 512u);

  // A wide screen of few rows: the rows decide.
  EXPECT_EQ(ShownLines(OnTerminal({"picture", picture_}, 200, 11, {{"NO_COLOR", "1"}})).size(), 10u);

  // With colors, each cell on a paper of its own.
  const std::string colored = OnTerminal({"picture", picture_}, 80, 24, {{"TERM", "xterm-256color"}, {"NO_COLOR", ""}});
  EXPECT_NE(colored.find("\x1b[48;5;"), std::string::npos) << "backgrounds";
  EXPECT_EQ(ShownLines(colored).size(), 23u);

  // A terminal of 8 colors gets the 16 colors' escapes alone; --palette
  // says otherwise.
  const std::string sixteen = OnTerminal({"picture", picture_}, 80, 24, {{"TERM", "xterm"}, {"NO_COLOR", ""}});
  EXPECT_EQ(sixteen.find("8;5;"), std::string::npos);
  EXPECT_EQ(sixteen.find("8;2;"), std::string::npos);
  EXPECT_TRUE(std::regex_search(sixteen, std::regex("\x1b\\[(4|10)[0-7]m"))) << "16-color backgrounds";
  const std::string truecolor =
      OnTerminal({"picture", picture_, "--palette=truecolor"}, 80, 24, {{"TERM", "xterm"}, {"NO_COLOR", ""}});
  EXPECT_NE(truecolor.find("\x1b[48;2;"), std::string::npos);
}

TEST_F(TerminalFit, ArtWithoutColorsIsDrawnForTheTerminalsBackground) {
  // The disc's light paper is left blank on a light terminal and inked on
  // a dark one, whichever way the terminal says it: answering when asked,
  // or through COLORFGBG when it does not answer.
  const std::vector<std::pair<std::string, std::string>> plain = {{"NO_COLOR", "1"}};
  auto paperInked = [&](const std::vector<std::string>& args, const TerminalLook& look,
                        const std::vector<std::pair<std::string, std::string>>& environment) {
    const std::vector<std::string> lines = ShownLines(OnTerminal(args, 80, 24, environment, look));
    EXPECT_EQ(lines.size(), 23u);
    return !lines.empty() && lines[0].find_first_not_of(' ') != std::string::npos;
  };
  const std::vector<std::string> picture = {"picture", picture_};
  const TerminalLook dark{"rgb:0000/0000/0000"}, light{"rgb:ffff/ffff/ffff"}, darkShort{"rgb:1e/1e/2e"},
      lightShort{"rgb:ee/ee/ee"};
  EXPECT_TRUE(paperInked(picture, dark, plain));
  EXPECT_TRUE(paperInked(picture, darkShort, plain)) << "two digits a channel";
  EXPECT_FALSE(paperInked(picture, light, plain));
  EXPECT_FALSE(paperInked(picture, lightShort, {{"NO_COLOR", "1"}, {"COLORFGBG", "15;0"}}))
      << "two digits a channel, light, over what COLORFGBG says";
  EXPECT_TRUE(paperInked(picture, {}, plain)) << "not said: dark, the more common";
  EXPECT_TRUE(paperInked(picture, {}, {{"NO_COLOR", "1"}, {"COLORFGBG", "15;0"}}));
  EXPECT_FALSE(paperInked(picture, {}, {{"NO_COLOR", "1"}, {"COLORFGBG", "0;15"}}));
  EXPECT_TRUE(paperInked(picture, {"", false}, {{"NO_COLOR", "1"}, {"COLORFGBG", "15;0"}}))
      << "a terminal that answers nothing is waited for briefly";
  // The terminal's answer over COLORFGBG, which may be stale.
  EXPECT_FALSE(paperInked(picture, light, {{"NO_COLOR", "1"}, {"COLORFGBG", "15;0"}}));
  // Every art of ink alone: the ramp and blocks too.
  for (const char* mode : {"--ramp", "--blocks", "--shapes"}) {
    SCOPED_TRACE(mode);
    EXPECT_TRUE(paperInked({"picture", picture_, mode}, dark, plain));
    EXPECT_FALSE(paperInked({"picture", picture_, mode}, light, plain));
  }
  // --invert is light on dark on any terminal.
  EXPECT_TRUE(paperInked({"picture", picture_, "--invert"}, light, plain));

  // The terminal is asked only when the answer matters: not for colored
  // art, nor for one symbol a color.
  EXPECT_EQ(RunOnTerminal(picture, 80, 24, plain, dark).backgroundQuestions, 1);
  EXPECT_EQ(RunOnTerminal(picture, 80, 24, {{"TERM", "xterm-256color"}, {"NO_COLOR", ""}}, dark).backgroundQuestions,
            0);
  EXPECT_EQ(RunOnTerminal({"picture", picture_, "--original"}, 80, 24, plain, dark).backgroundQuestions, 0);
  EXPECT_EQ(RunOnTerminal({"text", "a"}, 80, 24, plain, dark).backgroundQuestions, 0);
}

TEST_F(TerminalFit, ThroughTmuxTheBackgroundIsAskedOfTheTerminalOutside) {
  const std::vector<std::pair<std::string, std::string>> inTmux = {
      {"NO_COLOR", "1"}, {"TMUX", "/tmp/tmux-0/default,1,0"}, {"TERM", "tmux-256color"}};
  auto paperInked = [&](const TerminalLook& look) {
    const std::vector<std::string> lines = ShownLines(OnTerminal({"picture", picture_}, 80, 24, inTmux, look));
    EXPECT_EQ(lines.size(), 23u);
    return !lines.empty() && lines[0].find_first_not_of(' ') != std::string::npos;
  };
  TerminalLook light{"rgb:ffff/ffff/ffff"};
  light.inTmux = true;
  light.tmuxPassesThrough = true;
  EXPECT_FALSE(paperInked(light)) << "a light terminal outside tmux, asked through it";
  TerminalLook dark{"rgb:0000/0000/0000"};
  dark.inTmux = light.tmuxPassesThrough = true;
  dark.tmuxPassesThrough = true;
  EXPECT_TRUE(paperInked(dark));
  // tmux that lets nothing through: not said, so dark, the more common.
  light.tmuxPassesThrough = false;
  EXPECT_TRUE(paperInked(light));
}

TEST_F(TerminalFit, SixteenColorsAreTheTerminalsOwn) {
  // A flat #AAAAAA: the Linux console's light gray (its 7), between
  // xterm's 7 (#E5E5E5) and 8 (#7F7F7F), nearer the second.
  std::vector<unsigned> gray(64 * 64, 0);
  const std::string picture = (dir_ / "gray.bmp").string();
  WriteFile(picture, testing_support::BmpBuilder(64, 64, gray, {0xAAAAAA}).Build({40, 8}));
  const std::vector<std::string> args = {"picture", picture};
  // The Linux console answers no question: its name says its colors.
  const std::string console = OnTerminal(args, 80, 24, {{"TERM", "linux"}, {"NO_COLOR", ""}});
  EXPECT_NE(console.find("\x1b[47m"), std::string::npos) << console.substr(0, 200);
  EXPECT_EQ(console.find("\x1b[100m"), std::string::npos);
  // A terminal that does not say: xterm's.
  const TerminalRun xterm = RunOnTerminal(args, 80, 24, {{"TERM", "xterm"}, {"NO_COLOR", ""}});
  EXPECT_NE(xterm.shown.find("\x1b[100m"), std::string::npos) << xterm.shown.substr(0, 200);
  EXPECT_EQ(xterm.paletteQuestions, 16) << "asked for all sixteen, in one go";
  // One that answers: its own, here #AAAAAA as its 5 among grays.
  TerminalLook own;
  for (int i = 0; i < 16; ++i)
    own.sixteen.push_back(i == 5 ? "rgb:aaaa/aaaa/aaaa" : i < 8 ? "rgb:0/0/0" : "rgb:ff/ff/ff");
  const std::string answered = OnTerminal(args, 80, 24, {{"TERM", "xterm"}, {"NO_COLOR", ""}}, own);
  EXPECT_NE(answered.find("\x1b[45m"), std::string::npos) << answered.substr(0, 200);
  // And among the bright eight: its 13.
  TerminalLook bright;
  for (int i = 0; i < 16; ++i)
    bright.sixteen.push_back(i == 13 ? "rgb:aaaa/aaaa/aaaa" : i < 8 ? "rgb:0/0/0" : "rgb:ff/ff/ff");
  const std::string brightAnswer = OnTerminal(args, 80, 24, {{"TERM", "xterm"}, {"NO_COLOR", ""}}, bright);
  EXPECT_NE(brightAnswer.find("\x1b[105m"), std::string::npos) << brightAnswer.substr(0, 200);
  // Nothing is asked where it does not matter, and files keep xterm's.
  EXPECT_EQ(RunOnTerminal(args, 80, 24, {{"TERM", "xterm-256color"}, {"NO_COLOR", ""}}).paletteQuestions, 0);
  const std::vector<std::string> toFile = {"picture", picture,        "--blocks",      "--format",
                                           "ansi",    "--palette=16", "--color=always"};
  const testing_support::Outcome onConsole = RunCli(toFile, "TERM=linux"), onXterm = RunCli(toFile, "TERM=xterm");
  EXPECT_EQ(onConsole.status, 0);
  EXPECT_EQ(onConsole.out, onXterm.out) << "a file is the same whatever the terminal";
}

TEST_F(TerminalFit, TheFirstLookInColorsDrawsWithBlocksNotLetters) {
  ASSERT_EQ(RunShell("convert -size 256x256 -seed 3 plasma:fractal -blur 0x2 " +
                     testing_support::Quote((dir_ / "photo.png").string()))
                .status,
            0)
      << "ImageMagick, from Debian's imagemagick package";
  for (const char* colors : {"truecolor", ""}) {
    SCOPED_TRACE(colors);
    const std::string shown = OnTerminal({"picture", (dir_ / "photo.png").string()}, 80, 24,
                                         {{"TERM", "xterm-256color"}, {"COLORTERM", colors}, {"NO_COLOR", ""}});
    const std::vector<std::string> lines = ShownLines(shown);
    ASSERT_EQ(lines.size(), 23u);
    for (const std::string& line : lines) {
      // Spaces and block elements (U+2580 to U+259F: E2 96 80 to E2 96 9F)
      // only.
      for (std::size_t at = 0; at < line.size();) {
        if (line[at] == ' ') {
          ++at;
          continue;
        }
        ASSERT_TRUE(line.compare(at, 2, "\xE2\x96") == 0 && static_cast<unsigned char>(line[at + 2]) >= 0x80 &&
                    static_cast<unsigned char>(line[at + 2]) <= 0x9F)
            << line;
        at += 3;
      }
    }
  }
}

TEST_F(TerminalFit, AsciiArtIsMatchedToTheFontItWillBeReadIn) {
  const std::string photo = Photo();
  const TerminalLook light{"rgb:ffff/ffff/ffff"};
  // On a terminal: the font fontconfig gives terminals, "monospace".
  const std::vector<std::string> shown = ShownLines(
      OnTerminal({"picture", photo, "--shapes"}, 80, 24, {{"NO_COLOR", "1"}, {"TERM", "xterm-256color"}}, light));
  ASSERT_EQ(shown.size(), 23u);
  const std::vector<std::string> sized = {"picture",  photo, "--shapes", "--width", "46",
                                          "--height", "23",  "--format", "utf8"};
  std::vector<std::string> ofMonospace = sized;
  ofMonospace.insert(ofMonospace.end(), {"--glyphs-of", "monospace"});
  const testing_support::Outcome matched = RunCli(ofMonospace);
  ASSERT_EQ(matched.status, 0) << matched.err;
  std::string joined;
  for (const std::string& line : shown) joined += line + "\n";
  EXPECT_EQ(joined, matched.out);
  // In a file or a pipe: the built-in font's, as scripts have always had.
  EXPECT_NE(RunCli(sized).out, matched.out);
  // A font that cannot be opened, asked for by name: a failure, and no file.
  std::vector<std::string> missing = sized;
  missing.insert(missing.end(), {"--glyphs-of", "No Such Font", "-o", (dir_ / "art.txt").string()});
  const testing_support::Outcome refused = RunCli(missing);
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "morvexa-cli: Cannot open font No Such Font.\n");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "art.txt"));
}

TEST_F(TerminalFit, ChineseCharactersAreMatchedToTheFontATerminalDrawsThemIn) {
  const std::string photo = Photo();
  const TerminalLook light{"rgb:ffff/ffff/ffff"};
  // On a terminal: the font fontconfig chooses for Chinese in monospace.
  const std::vector<std::string> shown = ShownLines(
      OnTerminal({"picture", photo, "--hanzi"}, 80, 24, {{"NO_COLOR", "1"}, {"TERM", "xterm-256color"}}, light));
  ASSERT_EQ(shown.size(), 23u);
  // Each cell a character of three bytes in UTF-8, two columns.
  const std::string columns = std::to_string(shown[0].size() / 3 * 2);
  const std::vector<std::string> sized = {"picture",  photo, "--hanzi",  "--width", columns,
                                          "--height", "23",  "--format", "utf8"};
  std::vector<std::string> ofChinese = sized;
  ofChinese.insert(ofChinese.end(), {"--glyphs-of", "monospace:lang=zh-cn"});
  const testing_support::Outcome matched = RunCli(ofChinese);
  ASSERT_EQ(matched.status, 0) << matched.err;
  std::string joined;
  for (const std::string& line : shown) joined += line + "\n";
  EXPECT_EQ(joined, matched.out);
  // In a file or a pipe: the built-in font's.
  EXPECT_NE(RunCli(sized).out, matched.out);
}

// A copy of a TrueType font with its outlines gone: every byte of its
// glyf table zero, as a damaged download leaves it.
std::string WithoutOutlines(std::string font) {
  const auto word = [&font](std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | static_cast<unsigned char>(font.at(at + i));
    return value;
  };
  const std::uint32_t tables = word(4, 2);
  for (std::uint32_t t = 0; t < tables; ++t) {
    const std::size_t record = 12 + 16 * t;
    if (font.compare(record, 4, "glyf") == 0) {
      std::fill_n(font.begin() + word(record + 8, 4), word(record + 12, 4), '\0');
      return font;
    }
  }
  ADD_FAILURE() << "the font has no glyf table";
  return font;
}

// A font that lacks the symbols art is matched to (a symbol font, a
// damaged one) is refused by name, never drawn with as blank art.
TEST_F(TerminalFit, FontsWithoutTheSymbolsAreRefused) {
  const std::filesystem::path dejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
  ASSERT_TRUE(std::filesystem::exists(dejaVu)) << "DejaVu Sans Mono, from Debian's fonts-dejavu-core package";
  const std::filesystem::path damaged = dir_ / "damaged.ttf";
  WriteFile(damaged, WithoutOutlines(testing_support::ReadFile(dejaVu)));
  // URW's dingbats as a Type 1 font, whose letters' codes draw nothing.
  const std::string dingbats = "/usr/share/fonts/type1/urw-base35/D050000L.t1";
  ASSERT_TRUE(std::filesystem::exists(dingbats)) << "the dingbats of Debian's fonts-urw-base35 package";
  struct Case {
    std::string font;
    std::vector<std::string> way;
  };
  const Case cases[] = {{dingbats, {"--shapes"}},
                        {dingbats, {"--shapes", "--fill", "--format", "ansi", "--color=always"}},
                        {damaged.string(), {"--shapes"}},
                        {damaged.string(), {"--ramp"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.font + " " + c.way.back());
    WriteFile(dir_ / "art.txt", "kept");
    std::vector<std::string> args = {"picture",     picture_, "--width", "40",
                                     "--glyphs-of", c.font,   "-o",      (dir_ / "art.txt").string()};
    args.insert(args.end(), c.way.begin(), c.way.end());
    const testing_support::Outcome run = RunCli(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("morvexa-cli: --glyphs-of: " + c.font +
                                " has no glyph for 94 of the 94 printable ASCII "
                                "symbols (! \" # $ % & ' ( ) * + , ...); art is matched to a font that draws them all.",
                            0),
              0u)
        << run.err;
    EXPECT_EQ(testing_support::ReadFile(dir_ / "art.txt"), "kept");
  }
  // The whole font draws them all.
  const testing_support::Outcome whole =
      RunCli({"picture", picture_, "--width", "40", "--shapes", "--glyphs-of", dejaVu.string()});
  EXPECT_EQ(whole.status, 0) << whole.err;
  EXPECT_NE(whole.out.find_first_not_of(" \r\n"), std::string::npos);
}

// Standard input that is the terminal holds no picture: refused at once,
// not waited on.
TEST_F(TerminalFit, APictureIsNotWaitedForFromTheKeyboard) {
  const TerminalRun typed = RunOnTerminal({"picture", "-"}, 80, 24, {});
  EXPECT_EQ(typed.status, 2);
  EXPECT_NE(typed.shown.find("morvexa-cli: standard input is a terminal, and a picture cannot be typed: pipe a "
                             "picture in (cat photo.jpg | morvexa-cli picture -) or redirect one (< photo.jpg)"),
            std::string::npos)
      << typed.shown;
  // A picture redirected from a file, with the art still on the terminal.
  const TerminalRun redirected = RunOnTerminal({"picture", "-", "--width", "10"}, 80, 24, {}, {}, {}, picture_);
  EXPECT_EQ(redirected.status, 0) << redirected.shown;
}

// The size of the terminal's font is taken from its cells' pixels only
// where that is a size a font can be: a terminal that reports a window
// 65535 pixels high on 6 rows gets the art of one that reports none.
TEST_F(TerminalFit, AnImplausibleCellHeightIsTakenAsNotTold) {
  const std::vector<std::string> args = {"picture", picture_, "--shapes", "--width", "30"};
  TerminalLook told{"rgb:ffff/ffff/ffff"};
  told.pixelsHigh = 65535;
  const TerminalRun huge = RunOnTerminal(args, 80, 6, {{"NO_COLOR", "1"}}, told);
  const TerminalRun none = RunOnTerminal(args, 80, 6, {{"NO_COLOR", "1"}}, TerminalLook{"rgb:ffff/ffff/ffff"});
  EXPECT_EQ(huge.status, 0);
  EXPECT_NE(none.shown.find_first_not_of(" \r\n"), std::string::npos);
  EXPECT_EQ(huge.shown, none.shown);
}

TEST_F(TerminalFit, BannersReadOnAnyBackground) {
  // Without colors asked for, a banner on a terminal is in the terminal's
  // own ink and paper; with them, both the ink and the paper are painted.
  const std::vector<std::pair<std::string, std::string>> colors = {{"TERM", "xterm-256color"}, {"NO_COLOR", ""}};
  const std::string own = OnTerminal({"text", "a"}, 80, 24, colors);
  EXPECT_EQ(own.find('\x1b'), std::string::npos);
  EXPECT_EQ(ShownLines(own).size(), 16u);
  // Red ink on white paper, the paper on every line.
  const std::string red = OnTerminal({"text", "a", "--fg-color", "red"}, 80, 24, colors);
  EXPECT_NE(red.find("\x1b[38;5;196m"), std::string::npos) << red.substr(0, 300);
  std::size_t lines = 0;
  for (std::size_t at = 0, end; (end = red.find("\r\n", at)) != std::string::npos; at = end + 2, ++lines) {
    EXPECT_NE(red.substr(at, end - at).find("\x1b[48;5;231m"), std::string::npos) << red.substr(at, end - at);
  }
  EXPECT_EQ(lines, 16u);
  const std::string onNavy = OnTerminal({"text", "a", "--bg-color", "#000080"}, 80, 24, colors);
  EXPECT_NE(onNavy.find("48;5;18"), std::string::npos) << "the paper painted";

  // A picture in colored ink alone is shown on the white paper its symbols
  // were chosen for, or on black when inverted; in a pipe, as ever.
  const std::string reduced = OnTerminal({"picture", picture_, "--colors", "8", "--width", "40"}, 80, 24, colors);
  EXPECT_NE(reduced.find("48;5;231m"), std::string::npos) << reduced.substr(0, 200);
  const std::string inverted =
      OnTerminal({"picture", picture_, "--shapes", "--width", "40", "--invert"}, 80, 24, colors);
  EXPECT_NE(inverted.find("48;5;16m"), std::string::npos) << inverted.substr(0, 200);
  const auto piped = RunCli({"picture", picture_, "--colors", "8", "--width", "40", "--color=always"});
  EXPECT_EQ(piped.out.find("\x1b[48"), std::string::npos);
}

TEST_F(TerminalFit, OnePixelASymbolWhenAskedAndAnywhereElse) {
  // --original on a terminal, and a pipe, both give the art one symbol a
  // pixel and color, as the program always has.
  const std::vector<std::string> original =
      ShownLines(OnTerminal({"picture", picture_, "--original"}, 80, 24, {{"NO_COLOR", "1"}}));
  ASSERT_EQ(original.size(), 512u);
  EXPECT_EQ(original[256].size(), 512u);
  const auto piped = RunCli({"picture", picture_});
  EXPECT_EQ(piped.status, 0);
  std::string joined;
  for (const std::string& line : original) joined += line + "\n";
  EXPECT_EQ(piped.out, joined) << "the same art through a pipe";

  // A size given on a terminal is the size drawn.
  EXPECT_EQ(ShownLines(OnTerminal({"picture", picture_, "--width=20"}, 80, 24, {{"NO_COLOR", "1"}})).size(), 10u);
}

}  // namespace
}  // namespace morvexa
