// Banners in FIGlet and TOIlet fonts, checked against figlet 2.2.5 itself,
// run by the test on every font Debian's figlet and toilet packages
// install, and malformed fonts refused.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
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

// What a command prints; its program (from package) must succeed.
std::string Output(const std::string& command, const char* package) {
  FILE* pipe = popen(command.c_str(), "r");
  EXPECT_NE(pipe, nullptr);
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = pclose(pipe);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command << " (from Debian's " << package << ")";
  return out;
}

// What figlet prints for text, given as ISO-8859-1 bytes, as figlet reads
// its arguments.
std::string Figlet(const std::string& font, const std::u32string& text, const std::string& options) {
  std::string latin1;
  for (const char32_t c : text) latin1 += static_cast<char>(c);
  return Output("figlet -f " + Quoted(font) + " " + options + " -- " + Quoted(latin1), "figlet package");
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
  } modes[] = {{"-W", L::Mode::FullWidth, 0},  {"-k", L::Mode::Kerning, 0},   {"-S", L::Mode::Smushing, 0},
               {"-o", L::Mode::Overlap, 0},    {"-m 0", L::Mode::Number, 0},  {"-m -1", L::Mode::Number, -1},
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

// What toilet prints for text in a font of its folder, each line without
// the trailing spaces toilet pads it with.
std::string Toilet(const std::filesystem::path& font, const std::string& text) {
  return Output("toilet -d " + Quoted(font.parent_path().string()) + " -f " + Quoted(font.stem().string()) +
                    " -w 1000 -- " + Quoted(text),
                "toilet package");
}

std::string WithoutTrailingSpaces(const std::string& text) {
  std::string out;
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t end = text.find('\n', from);
    std::string line = text.substr(from, end - from);
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
    if (end == std::string::npos) break;
    from = end + 1;
  }
  return out;
}

TEST(Figlet, EveryDebianToiletFontLaysOutALineAsToiletDoes) {
  std::size_t compared = 0;
  for (const std::filesystem::path& path : DebianFonts()) {
    if (path.extension() != ".tlf") continue;
    const FigletFont font = FigletFont::Open(path.string());
    for (const std::string text : {"Hello, World!", "0123456789 {[(<|>)]} /\\_-", "The quick brown fox"}) {
      const std::u32string unicode(text.begin(), text.end());
      if (!FigletMissing(font, unicode).empty()) continue;
      FigletLayout layout;
      layout.width = 1000;
      EXPECT_EQ(WithoutTrailingSpaces(Printed(FigletLines(font, unicode, layout))),
                WithoutTrailingSpaces(Toilet(path, text)))
          << path.filename() << " \"" << text << "\"";
      ++compared;
    }
  }
  EXPECT_GE(compared, 50u);
}

std::filesystem::path Corpus(const std::string& name) {
  return std::filesystem::path(MORVEXA_TEST_DATA) / "fuzz" / "figlet" / name;
}

TEST(Figlet, FontsOfEveryFormReadAsFigletReadsThem) {
  // Line breaks of CR LF, a last line without its break, right to left,
  // UTF-8 rows with an end mark of three bytes, and the font in a zip
  // archive, deflated or stored.
  for (const char* name :
       {"tiny.flf", "tiny_cr.flf", "tiny_no_last_break.flf", "tiny_rtl.flf", "utf8.tlf", "zipped_deflate.flf"}) {
    const FigletFont font = FigletFont::Open(Corpus(name).string());
    for (const std::u32string text : {U"Hi {x} /\\_", U"\u00DF\u00C4 ab cd ef gh", U"@"}) {
      for (const std::size_t width : {80, 9}) {
        FigletLayout layout;
        layout.width = width;
        EXPECT_EQ(Printed(FigletLines(font, text, layout)),
                  Figlet(Corpus(name).string(), text, "-w " + std::to_string(width)))
            << name << " \"" << cp936::Utf8Encode(text) << "\" " << width;
      }
    }
  }
  // Code-tagged characters: hexadecimal, negative, octal.
  const FigletFont tiny = FigletFont::Open(Corpus("tiny.flf").string());
  // A zip archive that stores its font (which figlet does not read) holds
  // the same.
  EXPECT_EQ(FigletFont::Open(Corpus("zipped_stored.flf").string()).characters,
            FigletFont::Open(Corpus("zipped_deflate.flf").string()).characters);
  EXPECT_EQ(tiny.characters.at(0x100), (std::vector<std::u32string>{U"-A-", U"_A_"}));
  EXPECT_EQ(tiny.characters.at(-2), (std::vector<std::u32string>{U"nn", U"nn"}));
  EXPECT_EQ(tiny.characters.at(0177), (std::vector<std::u32string>{U"oo", U"oo"}));
  EXPECT_EQ(tiny.comment, "a tiny font\n");
  // Rows longer than the 255 bytes figlet reads (and overruns its buffer
  // on) are read whole.
  const FigletFont longRows = FigletFont::Open(Corpus("long_rows.flf").string());
  EXPECT_EQ(longRows.characters.at(' '),
            (std::vector<std::u32string>{std::u32string(300, '#'), std::u32string(260, 'y')}));
  EXPECT_EQ(longRows.characters.at('!')[0], U"!|$");
  // A byte of ISO-8859-1 in a row is that character, and noted.
  const FigletFont latin1 = FigletFont::Open(Corpus("latin1.flf").string());
  EXPECT_EQ(latin1.characters.at(' ')[0], U"\u00C4|$");
  EXPECT_EQ(latin1.notUtf8.count(' '), 1u);
}

TEST(Figlet, MalformedFontsAreRefusedNamingTheLine) {
  const struct {
    const char* name;
    const char* said;
  } cases[] = {
      {"empty.flf", "line 1: not a FIGlet font (.flf) or a TOIlet font (.tlf)"},
      {"bad_magic.flf", "line 1: not a FIGlet font (.flf) or a TOIlet font (.tlf)"},
      {"short_header.flf", "line 1: its header gives 2 of the 5 numbers every font has"},
      {"tall.flf", "line 1: a character 5000 lines high is more than the 1000 a font may have"},
      {"truncated.flf", "line 49: the font ends in the middle of its character 55 (7), of 2 lines"},
      {"zipped_damaged.flf", "a zip archive whose font's compressed data is damaged"},
      {"zipped_cut.flf", "a zip archive without its central directory"},
  };
  for (const auto& c : cases) {
    try {
      FigletFont::Open(Corpus(c.name).string());
      ADD_FAILURE() << c.name << " was read";
    } catch (const Failure& failure) {
      EXPECT_NE(failure.Cause().refusal.find(c.said), std::string::npos) << failure.Cause().refusal;
      EXPECT_NE(failure.Cause().refusal.find(c.name), std::string::npos) << failure.Cause().refusal;
    }
  }
  // And figlet refuses what it can tell is no font too.
  for (const char* name : {"empty.flf", "bad_magic.flf", "short_header.flf"}) {
    const int status = std::system(("figlet -f " + Quoted(Corpus(name).string()) + " x >/dev/null 2>&1").c_str());
    EXPECT_NE(WEXITSTATUS(status), 0) << name;
  }
}

TEST(Figlet, CharactersAFontLacksAreNamedOnce) {
  const FigletFont tiny = FigletFont::Open(Corpus("tiny.flf").string());
  // Controls and white space are never missing; each character once.
  EXPECT_EQ(FigletMissing(tiny, U"ab\t\n\u4F60c\u4F60\u0101\u00C4"), U"\u4F60\u0101");
}

}  // namespace
}  // namespace morvexa
