// What morvexa-cli says when it is given something wrong: every option with
// a bad value, in both forms, and in the other command; mistyped names;
// files it cannot open or does not read.
#include "../support/bmp_builder.h"
#include "cli_fixture.h"

namespace morvexa {
namespace {

using testing_support::Cli;
using testing_support::Outcome;
using testing_support::WriteFile;

// The first line of what the program said.
std::string FirstLine(const Outcome& run) { return run.err.substr(0, run.err.find('\n')); }

TEST_F(Cli, EveryOptionWithABadValueIsNamedWithWhatItTakes) {
  WriteFile(dir_ / "p.bmp", testing_support::BmpBuilder(2, 2, {0, 1, 1, 0}, {0, 0xFFFFFF}).Build({40, 24}));
  struct Case {
    const char* command;
    const char* option;
    const char* bad;
    const char* allowed;
  };
  const Case cases[] = {
      {"picture", "--width", "abc", "a whole number from 0 to 1048576"},
      {"picture", "--width", "-3", "a whole number from 0 to 1048576"},
      {"picture", "--height", "1048577", "a whole number from 0 to 1048576"},
      {"picture", "--aspect", "0,5", "a number from 0.01 to 100"},
      {"picture", "--aspect", "1000", "a number from 0.01 to 100"},
      {"picture", "--colors", "1", "a whole number from 2 to 95"},
      {"picture", "--colors", "96", "a whole number from 2 to 95"},
      {"picture", "--background", "mauve", "a color: #RRGGBB, #RGB or a name such as white"},
      {"picture", "--format", "tiff", "gbk, utf8, html or ansi"},
      {"picture", "--palette", "88", "16, 256 or truecolor"},
      {"text", "--fg-color", "#12", "a color: #RRGGBB, #RGB or a name such as black"},
      {"text", "--bg-color", "x", "a color: #RRGGBB, #RGB or a name such as white"},
      {"text", "--scale", "0", "a whole number from 1 to 8"},
      {"text", "--scale", "9", "a whole number from 1 to 8"},
      {"text", "--size", "3", "a whole number from 4 to 512"},
  };
  for (const Case& c : cases) {
    const std::string input = std::string(c.command) == "text" ? "字" : (dir_ / "p.bmp").string();
    const std::string expected = "morvexa-cli: " + std::string(c.option) + ": \"" + c.bad + "\" is not " + c.allowed;
    SCOPED_TRACE(expected);
    const Outcome joined = RunCli({c.command, std::string(c.option) + "=" + c.bad, input});
    EXPECT_EQ(joined.status, 2);
    EXPECT_EQ(FirstLine(joined), expected);
    const Outcome next = RunCli({c.command, c.option, c.bad, input});
    EXPECT_EQ(next.status, 2);
    EXPECT_EQ(FirstLine(next), expected);
    // Without a value.
    const Outcome none = RunCli({c.command, input, c.option});
    EXPECT_EQ(FirstLine(none), "morvexa-cli: " + std::string(c.option) + " needs a value: " + c.allowed);
  }
  // Values that only the optional forms take joined.
  EXPECT_EQ(FirstLine(RunCli({"picture", "--ramp=x", dir_ / "p.bmp"})),
            "morvexa-cli: --ramp: \"x\" is not at least two printable ASCII symbols");
  EXPECT_EQ(FirstLine(RunCli({"picture", "--color=sometimes", dir_ / "p.bmp"})),
            "morvexa-cli: --color: \"sometimes\" is not always, never or auto");
  EXPECT_EQ(FirstLine(RunCli({"picture", "--blocks=hexagons", dir_ / "p.bmp"})),
            "morvexa-cli: --blocks: \"hexagons\" is not quadrants, fine or braille");
}

TEST_F(Cli, OneWayOfChoosingSymbolsAtATime) {
  WriteFile(dir_ / "p.bmp", testing_support::BmpBuilder(2, 2, {0, 1, 1, 0}, {0, 0xFFFFFF}).Build({40, 24}));
  const std::string p = (dir_ / "p.bmp").string();
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--ramp", "--colors=4"}, "--ramp and --colors cannot be used together"},
      {{"--shapes", "--ramp"}, "--ramp and --shapes cannot be used together"},
      {{"--blocks", "--shapes"}, "--shapes and --blocks cannot be used together"},
      {{"--colors=8", "--blocks=braille"}, "--colors and --blocks cannot be used together"},
      {{"--invert"}, "--invert is for --ramp, --shapes, --blocks and --hanzi only"},
      {{"--shapes", "--fill", "--invert"},
       "--invert is needless with --shapes --fill: each cell is drawn in the two colors of its pixels"},
      {{"--original", "--width=10"}, "--original and --width cannot be used together"},
      // No glyphs are matched but by the shapes and the ramp.
      {{"--blocks", "--glyphs-of=monospace"},
       "--glyphs-of is for --shapes, --ramp, --hanzi and --hanzi-text only: no other way of drawing matches the "
       "font's glyphs"},
      {{"--colors=4", "--glyphs-of=monospace"},
       "--glyphs-of is for --shapes, --ramp, --hanzi and --hanzi-text only: no other way of drawing matches the "
       "font's glyphs"},
      {{"--glyphs-of=monospace"},
       "--glyphs-of is for --shapes, --ramp, --hanzi and --hanzi-text only: no other way of drawing matches the "
       "font's glyphs"},
  };
  for (const auto& [options, message] : cases) {
    std::vector<std::string> args = {"picture", p};
    args.insert(args.end(), options.begin(), options.end());
    const Outcome run = RunCli(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(FirstLine(run), "morvexa-cli: " + message);
  }
  // Braille is not in code page 936: refused before anything is written.
  WriteFile(dir_ / "art.txt", "kept");
  const Outcome braille = RunCli({"picture", p, "--blocks=braille", "-o", dir_ / "art.txt"});
  EXPECT_EQ(braille.status, 2);
  EXPECT_EQ(FirstLine(braille),
            "morvexa-cli: code page 936 holds no braille; --blocks=braille takes --format utf8, ansi or html");
  EXPECT_EQ(testing_support::ReadFile(dir_ / "art.txt"), "kept");
  // The forms of Unicode hold it: a checkerboard of pixels is dots.
  std::vector<unsigned> checker;
  for (unsigned i = 0; i < 16 * 16; ++i) checker.push_back((i % 16 + i / 16) % 2);
  WriteFile(dir_ / "checker.bmp", testing_support::BmpBuilder(16, 16, checker, {0, 0xFFFFFF}).Build({40, 24}));
  for (const std::vector<std::string>& form :
       {std::vector<std::string>{"--format", "utf8"}, {"--format", "ansi", "--color=always"}, {"--format", "html"}}) {
    SCOPED_TRACE(form[1]);
    std::vector<std::string> args = {"picture", (dir_ / "checker.bmp").string(), "--blocks=braille", "--width", "8"};
    args.insert(args.end(), form.begin(), form.end());
    const Outcome run = RunCli(args);
    EXPECT_EQ(run.status, 0) << run.err;
    // Braille patterns, U+2800 to U+28FF: E2 A0 80 to E2 A3 BF in UTF-8.
    bool dots = false;
    for (std::size_t at = 0; (at = run.out.find('\xE2', at)) != std::string::npos && at + 1 < run.out.size(); ++at) {
      const auto next = static_cast<unsigned char>(run.out[at + 1]);
      dots = dots || (next >= 0xA0 && next <= 0xA3);
    }
    EXPECT_TRUE(dots) << run.out;
  }
}

// --fill in a form that shows no colors is said once, and the art is
// written all the same.
TEST_F(Cli, FillWhereNoColorsShowIsToldOnce) {
  WriteFile(dir_ / "p.bmp", testing_support::BmpBuilder(2, 2, {0, 1, 1, 0}, {0, 0xFFFFFF}).Build({40, 24}));
  const std::string p = (dir_ / "p.bmp").string();
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--fill", "-o", (dir_ / "a.txt").string()}, "code page 936"},
      {{"--fill", "--format", "utf8"}, "UTF-8"},
      {{"--shapes", "--fill", "--width", "4", "--format", "gbk"}, "code page 936"},
  };
  for (const auto& [options, form] : cases) {
    SCOPED_TRACE(form);
    std::vector<std::string> args = {"picture", p};
    args.insert(args.end(), options.begin(), options.end());
    const Outcome run = RunCli(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "morvexa-cli: warning: --fill's colors are not shown in " + form +
                           " text; --format ansi or html shows them\n");
  }
  const Outcome html = RunCli({"picture", p, "--fill", "--format", "html"});
  EXPECT_EQ(html.status, 0);
  EXPECT_EQ(html.err, "");
}

TEST_F(Cli, CharactersInMessagesAreShownSafely) {
  // A control character (NEL, U+0085) by its code point alone, never as
  // its bytes, which a terminal would act on; others beside it.
  const Outcome control = RunCli({"text", "a\u0085", "--fg", "字", "-o", (dir_ / "a.txt").string()});
  EXPECT_EQ(control.status, 2);
  EXPECT_EQ(FirstLine(control),
            "morvexa-cli: --fg 字 draws each character with itself, but code page 936 cannot hold U+0085; "
            "--format utf8 can");
  const Outcome emoji = RunCli({"text", "a\U0001F600", "--fg", "字", "-o", (dir_ / "a.txt").string()});
  EXPECT_EQ(FirstLine(emoji),
            "morvexa-cli: --fg 字 draws each character with itself, but code page 936 cannot hold 😀 (U+1F600); "
            "--format utf8 can");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "a.txt"));
}

TEST_F(Cli, OptionsOfTheOtherCommandAreNamedAsSuch) {
  struct Case {
    const char* command;
    std::vector<std::string> option;
    const char* of;
  };
  const Case cases[] = {
      {"text", {"--ramp"}, "picture"},
      {"text", {"--dither"}, "picture"},
      {"text", {"--background", "red"}, "picture"},
      {"picture", {"--fg", "#"}, "text"},
      {"picture", {"--scale=2"}, "text"},
      {"picture", {"--square"}, "text"},
      {"picture", {"--font", "x"}, "text"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {c.command};
    args.insert(args.end(), c.option.begin(), c.option.end());
    args.push_back(std::string(c.command) == "text" ? "字" : "p.bmp");
    const std::string name = c.option[0].substr(0, c.option[0].find('='));
    SCOPED_TRACE(name);
    const Outcome run = RunCli(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(FirstLine(run), "morvexa-cli: " + name + " is for the " + c.of + " command only");
  }
}

TEST_F(Cli, MistakesGetTheNearestNameAndAHint) {
  // The hint names the help of the command whose options were wrong.
  const std::string program = "Try 'morvexa-cli --help' for more information.\n";
  const std::string picture = "Try 'morvexa-cli picture --help' for more information.\n";
  const std::string text = "Try 'morvexa-cli text --help' for more information.\n";
  struct Case {
    std::vector<std::string> args;
    std::string message;
    const std::string& hint;
  };
  const Case cases[] = {
      {{"pictrue", "x.png"}, "morvexa-cli: unknown command \"pictrue\"; did you mean picture?", program},
      {{"txet", "x"}, "morvexa-cli: unknown command \"txet\"; did you mean text?", program},
      {{"draw", "x"}, "morvexa-cli: unknown command \"draw\"", program},
      {{"--widht", "x.png"}, "morvexa-cli: a command is needed first: text or picture", program},
      {{}, "morvexa-cli: a command is needed: text or picture", program},
      {{"picture", "--widht", "3", "x.png"}, "morvexa-cli: unknown option --widht; did you mean --width?", picture},
      {{"picture", "--colours=8", "x.png"}, "morvexa-cli: unknown option --colours; did you mean --colors?", picture},
      {{"picture", "--width=abc", "x.png"},
       "morvexa-cli: --width: \"abc\" is not a whole number from 0 to 1048576",
       picture},
      {{"picture", "--fg=#", "x.png"}, "morvexa-cli: --fg is for the text command only", picture},
      {{"picture", "--ramp", "--shapes", "x.png"}, "morvexa-cli: --ramp and --shapes cannot be used together", picture},
      {{"picture"}, "morvexa-cli: FILE is missing", picture},
      {{"text", "--bogus", "x"}, "morvexa-cli: unknown option --bogus", text},
      {{"text", "--scael=2", "x"}, "morvexa-cli: unknown option --scael; did you mean --scale?", text},
      {{"text"}, "morvexa-cli: TEXT is missing", text},
      {{"picture", "x.png", "--ramp", " .:#"},
       "morvexa-cli: unexpected argument \" .:#\"; --ramp takes its value joined with \"=\": --ramp=' .:#'",
       picture},
      {{"picture", "x.png", "--color", "never"},
       "morvexa-cli: unexpected argument \"never\"; --color takes its value joined with \"=\": --color=never",
       picture},
      {{"text", "a", "b"}, "morvexa-cli: unexpected argument \"b\"", text},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const Outcome run = RunCli(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(FirstLine(run), c.message);
    EXPECT_EQ(run.err.substr(run.err.find('\n') + 1), c.hint);
  }
}

TEST_F(Cli, PicturesOfKindsThatAreNotReadAreNamed) {
  using namespace std::string_literals;
  const std::pair<std::string, std::string> kinds[] = {
      {"II*\0\x08\0\0\0"s, "TIFF"},
      {"MM\0*\0\0\0\x08"s, "TIFF"},
      {"\0\0\0\x1c"
       "ftypavif\0\0\0\0"s,
       "AVIF"},
      {"\0\0\0\x18"
       "ftypheic\0\0\0\0"s,
       "HEIC"},
      {"\xFF\x0A\x20\x08"s, "JPEG XL"},
      {"\0\0\0\x0CJXL \r\n\x87\n"s, "JPEG XL"},
      {"8BPS\0\x01"s, "PSD"},
      {"<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"/>"s, "SVG"},
      {"\0\0\x01\0\x01\0"s, "ICO"},
  };
  for (const auto& [bytes, kind] : kinds) {
    SCOPED_TRACE(kind);
    WriteFile(dir_ / "picture", bytes + std::string(64, '\0'));
    const Outcome run = RunCli({"picture", dir_ / "picture"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "morvexa-cli: " + kind + " pictures are not read; convert it to PNG.\n");
  }
  // A file that cannot be opened says why.
  const Outcome folder = RunCli({"picture", dir_});
  EXPECT_EQ(folder.err, "morvexa-cli: Cannot open file " + dir_.string() + ": Is a directory.\n");
}

}  // namespace
}  // namespace morvexa
