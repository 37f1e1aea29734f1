// A picture shown on a terminal: on a pseudo-terminal of a known size, the
// art fits the screen; anywhere else it is one symbol per pixel, as ever.
#include <regex>

#include "../support/bmp_builder.h"
#include "cli_fixture.h"
#include "on_terminal.h"

namespace morvexa {
namespace {

using testing_support::Cli;
using testing_support::WriteFile;

using testing_support::OnTerminal;
using testing_support::ShownLines;

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

  std::string picture_;
};

TEST_F(TerminalFit, APictureFitsTheTerminalItIsShownOn) {
  // Without colors: 23 lines (one is left for the prompt) of 46 columns,
  // the picture's proportions in cells twice as tall as wide, in shapes.
  const std::string plain = OnTerminal({"picture", picture_}, 80, 24, {{"NO_COLOR", "1"}, {"TERM", "xterm-256color"}});
  EXPECT_EQ(plain.find('\x1b'), std::string::npos) << "no colors";
  const std::vector<std::string> lines = ShownLines(plain);
  ASSERT_EQ(lines.size(), 23u) << plain.substr(0, 400);
  for (const std::string& line : lines) EXPECT_EQ(line.size(), 46u) << line;
  // The dark disc is drawn in dense symbols, the paper around it blank.
  EXPECT_EQ(lines[11].find_first_of(" .:"), 0u) << lines[11];
  EXPECT_NE(lines[11].find("88888888"), std::string::npos) << lines[11];
  EXPECT_EQ(lines[0], std::string(46, ' ')) << "the paper around the disc is left blank";

  // Light on dark: the light paper around the disc is inked.
  const std::vector<std::string> inverted =
      ShownLines(OnTerminal({"picture", picture_, "--invert"}, 80, 24, {{"NO_COLOR", "1"}}));
  ASSERT_EQ(inverted.size(), 23u);
  EXPECT_EQ(inverted[0].find(' '), std::string::npos) << inverted[0];

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
