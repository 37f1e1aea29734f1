// Banners in FIGlet and TOIlet fonts from the command line, beside figlet
// itself, in every form; and what is refused.
#include <algorithm>
#include <set>

#include "cli_fixture.h"

namespace morvexa {
namespace {

using testing_support::Cli;
using testing_support::Outcome;
using testing_support::Quote;

class FigletBanners : public Cli {
 protected:
  // What figlet prints for text with options, in a pipe.
  std::string Figlet(const std::string& options, const std::string& text) {
    const Outcome figlet = RunShell("figlet " + options + " -- " + Quote(text));
    EXPECT_EQ(figlet.status, 0) << "figlet " << options << " (figlet, from Debian's figlet package)";
    return figlet.out;
  }
};

TEST_F(FigletBanners, TheUtf8FormIsFigletsOutputInEveryLayout) {
  const struct {
    std::vector<std::string> ours;
    std::string figlets;
  } cases[] = {
      {{"--figlet=slant"}, "-f slant"},
      {{"--figlet", "standard", "--width", "30", "--justify", "right", "--layout", "full"}, "-f standard -w 30 -r -W"},
      {{"--figlet=big", "--layout=kern", "--justify=center"}, "-f big -k -c"},
      {{"--figlet=banner", "--layout=overlap", "--direction=right-to-left"}, "-f banner -o -R"},
      {{"--figlet=small", "--layout=smush", "--width=45"}, "-f small -S -w 45"},
      // A TOIlet font kept in a zip archive, drawn in block elements.
      {{"--figlet=smmono9"}, "-f smmono9"},
      {{"--figlet=/usr/share/figlet/future.tlf"}, "-f /usr/share/figlet/future.tlf"},
  };
  for (const auto& c : cases) {
    for (const std::string text : {"Hello, World!", "FIGlet {fonts} in Morvexa\nline two"}) {
      std::vector<std::string> args = {"text", text, "--format", "utf8"};
      args.insert(args.end(), c.ours.begin(), c.ours.end());
      const Outcome ours = RunCli(args);
      ASSERT_EQ(ours.status, 0) << ours.err;
      EXPECT_EQ(ours.out, Figlet(c.figlets, text)) << c.figlets << " " << text;
    }
  }
}

// Characters code page 936 lacks (the block and box elements of TOIlet
// fonts) are kept as GB18030 spells them, as in any art.
TEST_F(FigletBanners, TheGbkFormIsTheSameTextInCodePage936WithCrLf) {
  const Outcome gbk = RunCli({"text", "Hi", "--figlet=future", "--format", "gbk", "-o", (dir_ / "hi.txt").string()});
  ASSERT_EQ(gbk.status, 0) << gbk.err;
  const Outcome decoded = RunShell("iconv -f GB18030 -t UTF-8 " + Quote((dir_ / "hi.txt").string()));
  ASSERT_EQ(decoded.status, 0) << decoded.err;
  std::string expected;
  for (const char c : Figlet("-f future", "Hi")) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(decoded.out, expected);
}

TEST_F(FigletBanners, FontsAreListedAndFoundWhereFigletFontDirSays) {
  const Outcome listed = RunCli({"text", "--list-figlet"});
  ASSERT_EQ(listed.status, 0) << listed.err;
  std::set<std::string> expected;
  for (const auto& entry : std::filesystem::directory_iterator("/usr/share/figlet")) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".flf" || extension == ".tlf") expected.insert(entry.path().stem().string());
  }
  std::string joined;
  for (const std::string& name : expected) joined += name + "\n";
  EXPECT_EQ(listed.out, joined);
  // A folder of one's own, named by FIGLET_FONTDIR, first.
  std::filesystem::create_directories(dir_ / "fonts");
  std::filesystem::copy_file(std::filesystem::path(MORVEXA_TEST_DATA) / "fuzz" / "figlet" / "tiny.flf",
                             dir_ / "fonts" / "mine.flf");
  const std::string inFolder = "FIGLET_FONTDIR=" + Quote((dir_ / "fonts").string());
  EXPECT_NE(RunCli({"text", "--list-figlet"}, inFolder).out.find("mine\n"), std::string::npos);
  const Outcome mine = RunCli({"text", "ab", "--figlet=mine", "--format=utf8"}, inFolder);
  EXPECT_EQ(mine.status, 0) << mine.err;
  EXPECT_EQ(mine.out, Figlet("-d " + Quote((dir_ / "fonts").string()) + " -f mine", "ab"));
}

TEST_F(FigletBanners, WhatCannotBeDrawnIsRefusedWithNothingWritten) {
  const std::filesystem::path art = dir_ / "art.txt";
  const std::filesystem::path corpus = std::filesystem::path(MORVEXA_TEST_DATA) / "fuzz" / "figlet";
  const struct {
    std::vector<std::string> args;
    std::string said;
  } cases[] = {
      {{"你好 world", "--figlet=standard"},
       "standard has no character for U+4F60 你, U+597D 好; FIGlet fonts have no Chinese characters: without "
       "--figlet, the built-in font draws them"},
      {{"a\u0101", "--figlet=slant"}, "slant has no character for U+0101"},
      {{"x", "--figlet=no such font"}, "no FIGlet or TOIlet font"},
      {{"x", "--figlet=" + (corpus / "truncated.flf").string()},
       "line 49: the font ends in the middle of its character 55 (7), of 2 lines"},
      {{"x", "--figlet=" + (corpus / "zipped_damaged.flf").string()}, "a zip archive"},
      {{"x", "--figlet=slant", "--font=Unifont"}, "--font and --figlet cannot be used together"},
      {{"x", "--layout=full"}, "--layout, --justify, --direction and --filter are for --figlet"},
      {{"x", "--figlet=slant", "--layout=sideways"}, "--layout"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"text", "-o", art.string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome refused = RunCli(args);
    EXPECT_EQ(refused.status, 2) << c.said << "\n" << refused.err;
    EXPECT_NE(refused.err.find(c.said), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(art)) << c.said;
  }
}

TEST_F(FigletBanners, FiltersKeepTheCharactersInTextAndShowTheirColorsInAnsi) {
  // What toilet makes of one line of symbols, in the term font: the same
  // characters, filter by filter and in order.
  for (const std::string filter : {"crop", "flip", "flop", "border", "crop:flip:border"}) {
    const Outcome ours = RunCli({"text", "ab/(<[{q", "--figlet=term", "--filter=" + filter, "--format=utf8"});
    ASSERT_EQ(ours.status, 0) << ours.err;
    const Outcome toilets = RunShell("toilet -f term -E utf8 --filter " + Quote(filter) + " 'ab/(<[{q'");
    ASSERT_EQ(toilets.status, 0) << "toilet, from Debian's toilet package";
    EXPECT_EQ(ours.out, toilets.out) << filter;
  }
  // Colors show in the ansi form, on the characters alone; the text keeps
  // the characters.
  const Outcome plain = RunCli({"text", "Hi", "--figlet=standard", "--format=utf8"});
  const Outcome ansi =
      RunCli({"text", "Hi", "--figlet=standard", "--filter=rainbow", "--format=ansi", "--palette=truecolor"});
  ASSERT_EQ(ansi.status, 0) << ansi.err;
  EXPECT_NE(ansi.out.find("\x1b[38;2;255;85;255m"), std::string::npos);
  const Outcome stripped =
      RunShell(std::string(MORVEXA_CLI) +
               " text Hi --figlet=standard --filter=rainbow --format=ansi | sed 's/\\x1b\\[[0-9;]*m//g'");
  EXPECT_EQ(stripped.out, plain.out);
  EXPECT_EQ(RunCli({"text", "Hi", "--figlet=standard", "--filter=rainbow", "--format=utf8"}).out, plain.out);
  const Outcome unknown = RunCli({"text", "Hi", "--figlet=standard", "--filter=crop:shiny"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("--filter: no filter shiny"), std::string::npos) << unknown.err;
}

}  // namespace
}  // namespace morvexa
