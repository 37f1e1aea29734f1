// Banners in FIGlet and TOIlet fonts, checked against figlet 2.2.5 itself,
// run by the test on every font Debian's figlet and toilet packages
// install, and malformed fonts refused.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "../support/files.h"
#include "morvexa/cp936.h"
#include "morvexa/failure.h"
#include "morvexa/figlet.h"

namespace morvexa {
namespace {

// A word for the shell, in single quotes.
std::string Quoted(const std::string& word) {
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// What figlet prints for text, given as ISO-8859-1 bytes, as figlet reads
// its arguments.
std::string Figlet(const std::string& font, const std::u32string& text, const std::string& options) {
  std::string latin1;
  for (const char32_t c : text) latin1 += static_cast<char>(c);
  const std::string command = "figlet -f " + Quoted(font) + " " + options + " -- " + Quoted(latin1);
  FILE* pipe = popen(command.c_str(), "r");
  EXPECT_NE(pipe, nullptr);
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = pclose(pipe);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command << " (figlet, from Debian's figlet package)";
  return out;
}

// Morvexa's lines as figlet prints them, in UTF-8.
std::string Printed(const std::vector<std::u32string>& lines) {
  std::string out;
  for (const std::u32string& line : lines) out += cp936::Utf8Encode(line) + "\n";
  return out;
}

std::vector<std::filesystem::path> DebianFonts() {
  std::vector<std::filesystem::path> fonts;
  for (const auto& entry : std::filesystem::directory_iterator("/usr/share/figlet")) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".flf" || extension == ".tlf") fonts.push_back(entry.path());
  }
  std::sort(fonts.begin(), fonts.end());
  return fonts;
}

struct Case {
  std::u32string text;
  std::string options;
  FigletLayout layout;
};

std::vector<Case> Cases() {
  using L = FigletLayout;
  const std::vector<std::u32string> texts = {
      U"Hello, World!",
      U"The quick brown fox jumps over the lazy dog",
      U"0123456789 {[(<|>)]} /\\_- !@#$%^&*",
      U"a",
      U"\u00C4\u00D6\u00DC \u00E4\u00F6\u00FC\u00DF",
      U"line one\nline two\n\nfour",
      U"x  y   z    longwordthatcannotfitinanarrowline end",
      U"  leading and trailing  ",
  };
  std::vector<Case> cases;
  for (const std::u32string& text : texts) {
    for (const std::size_t width : {80, 40, 17, 1}) {
      L layout;
      layout.width = width;
      cases.push_back({text, "-w " + std::to_string(width), layout});
    }
  }
  const struct {
    std::string option;
    L::Mode mode;
    int number;
  } modes[] = {{"-W", L::Mode::FullWidth, 0}, {"-k", L::Mode::Kerning, 0},  {"-S", L::Mode::Smushing, 0},
               {"-o", L::Mode::Overlap, 0},   {"-m 0", L::Mode::Number, 0}, {"-m -1", L::Mode::Number, -1},
               {"-m 15", L::Mode::Number, 15}, {"-m 63", L::Mode::Number, 63}};
  const struct {
    std::string option;
    L::Justify justify;
    L::Direction direction;
  } sides[] = {{"-c", L::Justify::Center, L::Direction::Font},
               {"-r", L::Justify::Right, L::Direction::Font},
               {"-R", L::Justify::Auto, L::Direction::RightToLeft},
               {"-L -r", L::Justify::Right, L::Direction::LeftToRight},
               {"-R -l", L::Justify::Left, L::Direction::RightToLeft}};
  for (const std::u32string& text : {texts[0], texts[2], texts[6]}) {
    for (const auto& m : modes) {
      L layout;
      layout.mode = m.mode, layout.number = m.number, layout.width = 60;
      cases.push_back({text, m.option + " -w 60", layout});
    }
    for (const auto& side : sides) {
      L layout;
      layout.justify = side.justify, layout.direction = side.direction, layout.width = 50;
      cases.push_back({text, side.option + " -w 50", layout});
    }
  }
  return cases;
}

TEST(Figlet, EveryDebianFontLaysOutTextAsFigletDoes) {
  const std::vector<std::filesystem::path> fonts = DebianFonts();
  ASSERT_GE(fonts.size(), 30u) << "the fonts of Debian's figlet and toilet-fonts packages";
  const std::vector<Case> cases = Cases();
  std::size_t compared = 0, differ = 0, undefined = 0;
  for (const std::filesystem::path& path : fonts) {
    const FigletFont font = FigletFont::Open(path.string());
    for (const Case& c : cases) {
      const std::u32string missing = FigletMissing(font, c.text);
      if (!missing.empty()) continue;  // figlet drops them; Morvexa refuses the text
      // figlet's layout of a character whose bytes are not UTF-8 reads
      // memory it never wrote: there is nothing to compare with.
      if (std::any_of(c.text.begin(), c.text.end(), [&](char32_t t) { return font.notUtf8.count(t) != 0; })) {
        ++undefined;
        continue;
      }
      const std::vector<std::u32string> lines = FigletLines(font, c.text, c.layout);
      // figlet's right-to-left lines after the first that a text wraps to
      // show what its buffers kept of the line before (glyphs of the
      // characters printed already): a fault of figlet's, not copied.
      const bool rightToLeft = c.layout.direction == FigletLayout::Direction::RightToLeft ||
                               (c.layout.direction == FigletLayout::Direction::Font && font.rightToLeft);
      if (rightToLeft && lines.size() > static_cast<std::size_t>(font.height)) {
        ++undefined;
        continue;
      }
      const std::string expected = Figlet(path.string(), c.text, c.options);
      const std::string laid = Printed(lines);
      ++compared;
      if (laid != expected && ++differ <= 5) {
        ADD_FAILURE() << path.filename() << " " << c.options << " \"" << cp936::Utf8Encode(c.text) << "\"\nfiglet:\n"
                      << expected << "Morvexa:\n"
                      << laid;
      }
    }
  }
  EXPECT_EQ(differ, 0u) << "of " << compared;
  EXPECT_LT(undefined, compared / 5);
  EXPECT_GT(compared, fonts.size() * cases.size() / 2);
}

}  // namespace
}  // namespace morvexa
