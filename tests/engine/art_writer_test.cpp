// Each form's bytes for a line of art, checked against what the form's own
// rules say: glibc's iconv for code page 936 to UTF-8, xterm's escapes and
// palette indices, HTML's escapes. Then the seams of every form: lines in
// parts, art text in one go, lines past the writer's buffer.
#include <gtest/gtest.h>
#include <iconv.h>

#include <random>
#include <string>
#include <vector>

#include "morvexa/art_writer.h"

namespace morvexa {
namespace {

constexpr ArtForm kForms[] = {ArtForm::Gbk, ArtForm::Utf8, ArtForm::Html, ArtForm::Ansi};

// What the writer hands its sink, all of it, after write has its way.
template <class Write>
std::string Written(const ArtFormSettings& settings, Write write) {
  std::string out;
  ArtWriter writer(settings, [&out](std::string_view bytes) { out += bytes; });
  write(writer);
  writer.Finish();
  return out;
}

std::string Line(const ArtFormSettings& settings, ByteStringView line, LineColors colors = {}) {
  return Written(settings, [&](ArtWriter& writer) { writer.Line(line, colors); });
}

// The art between a page's <pre> and </pre>.
std::string PageArt(const std::string& page) {
  const std::size_t begin = page.find("<pre>\n") + 6;
  return page.substr(begin, page.find("</pre>") - begin);
}

std::string Iconv(const ByteString& gbk) {
  const iconv_t cd = iconv_open("UTF-8", "CP936");
  std::string in(gbk), out(gbk.size() * 3 + 4, '\0');
  char* from = in.data();
  char* to = out.data();
  std::size_t left = in.size(), room = out.size();
  EXPECT_NE(iconv(cd, &from, &left, &to, &room), static_cast<std::size_t>(-1));
  iconv_close(cd);
  out.resize(out.size() - room);
  return out;
}

TEST(ArtWriter, EveryFormEndsALineItsOwnWay) {
  EXPECT_EQ(Line({.form = ArtForm::Gbk}, "\xB1\xE0 A"), "\xB1\xE0 A\r\n");
  EXPECT_EQ(Line({.form = ArtForm::Utf8}, "\xB1\xE0 A"), "编 A\n");
  EXPECT_EQ(Line({.form = ArtForm::Ansi}, "\xB1\xE0 A"), "编 A\n");
  EXPECT_EQ(PageArt(Line({.form = ArtForm::Html}, "\xB1\xE0 A")), "编 A\n");
}

TEST(ArtWriter, Utf8IsWhatIconvMakesOfTheArt) {
  std::mt19937 random(936);
  std::uniform_int_distribution<int> lead(0xB0, 0xF7), trail(0xA1, 0xFE), ascii(0x20, 0x7E);
  ByteString line;
  for (int i = 0; i < 200000; ++i) {
    if (i % 3 == 0) {
      line += static_cast<char>(ascii(random));
    } else {
      line += static_cast<char>(lead(random));
      line += static_cast<char>(trail(random));
    }
  }
  // Every pair of rows 0xB0 to 0xF7 holds a character of GB2312 but the
  // last five of row 0xD7.
  ByteString kept;
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t length = static_cast<unsigned char>(line[i]) < 0x80 ? 1 : 2;
    const ByteString symbol = line.substr(i, length);
    if (symbol != "\xD7\xFA" && symbol != "\xD7\xFB" && symbol != "\xD7\xFC" && symbol != "\xD7\xFD" &&
        symbol != "\xD7\xFE") {
      kept += symbol;
    }
    i += length;
  }
  EXPECT_EQ(Line({.form = ArtForm::Utf8}, kept), Iconv(kept) + "\n");
}

TEST(ArtWriter, BytesThatDoNotDecodeBecomeReplacementCharacters) {
  for (const ArtForm form : {ArtForm::Utf8, ArtForm::Html, ArtForm::Ansi}) {
    std::string out;
    ArtWriter writer({.form = form}, [&out](std::string_view bytes) { out += bytes; });
    writer.Line("A\xFF\xB1");
    writer.Finish();
    EXPECT_NE(out.find("A\xEF\xBF\xBD\xEF\xBF\xBD\n"), std::string::npos) << static_cast<int>(form);
    EXPECT_EQ(writer.Undecodable(), 2u);
  }
  EXPECT_EQ(Line({.form = ArtForm::Gbk}, "A\xFF\xB1"), "A\xFF\xB1\r\n");
}

TEST(ArtWriter, APageEscapesItsSpecialsAndControlCharacters) {
  const std::string page = Line({.form = ArtForm::Html, .title = "<a & b>"}, "<&>\t\x01\x7F");
  EXPECT_NE(page.find("<title>&lt;a &amp; b&gt;</title>"), std::string::npos);
  EXPECT_EQ(PageArt(page), "&lt;&amp;&gt;\t\xEF\xBF\xBD\xEF\xBF\xBD\n");
}

TEST(ArtWriter, APageGivesEachRunOfColorsASpan) {
  const std::vector<Rgb> ink = {0x123456, 0x123456, kNoColor, 0xABCDEF}, paper = {kNoColor, 0, 0, 0};
  EXPECT_EQ(PageArt(Line({.form = ArtForm::Html}, "ab<c", {ink, paper})),
            "<span style=\"color:#123456\">a</span><span style=\"color:#123456;background:#000000\">b</span>"
            "<span style=\"background:#000000\">&lt;</span>"
            "<span style=\"color:#abcdef;background:#000000\">c</span>\n");
}

TEST(ArtWriter, ATerminalGetsTheEscapesOfItsColors) {
  const std::vector<Rgb> ink = {0xFF0000, 0xFF0000, kNoColor}, paper = {kNoColor, 0x0000FF, kNoColor};
  const struct {
    TerminalColors colors;
    std::string expected;
  } cases[] = {
      {TerminalColors::TrueColor, "\x1b[38;2;255;0;0mA\x1b[48;2;0;0;255mB\x1b[39m\x1b[49mC\n"},
      // The 6 x 6 x 6 cube: 16 + 36 r + 6 g + b.
      {TerminalColors::Palette256, "\x1b[38;5;196mA\x1b[48;5;21mB\x1b[39m\x1b[49mC\n"},
      // xterm's bright red (9) and its blue (4).
      {TerminalColors::Palette16, "\x1b[91mA\x1b[44mB\x1b[39m\x1b[49mC\n"},
  };
  for (const auto& [colors, expected] : cases) {
    EXPECT_EQ(Line({.form = ArtForm::Ansi, .terminal = {.colors = colors}}, "ABC", {ink, paper}), expected);
  }
  EXPECT_EQ(Line({.form = ArtForm::Ansi}, "AB", {{0x010203, 0x010203}}), "\x1b[38;2;1;2;3mAB\x1b[0m\n");
  EXPECT_EQ(Line({.form = ArtForm::Ansi, .paperBehindInk = 0}, "AB", {{0x010203, kNoColor}}),
            "\x1b[38;2;1;2;3m\x1b[48;2;0;0;0mA\x1b[39m\x1b[49mB\n");
  EXPECT_EQ(Line({.form = ArtForm::Utf8}, "AB", {{0x010203, 0x010203}}), "AB\n");
}

TEST(ArtWriter, APageThatPlaysHasAPreAFrame) {
  const std::string page =
      Written({.form = ArtForm::Html, .playing = ArtFormSettings::Playing{3, 2.5}}, [](ArtWriter& writer) {
        writer.Frame(100);
        writer.Line("a");
        writer.Frame(50);
        writer.Line("b");
      });
  EXPECT_NE(page.find("<pre data-delay=\"100\">\na\n</pre>\n<pre data-delay=\"50\" hidden>\nb\n</pre>\n"),
            std::string::npos);
  EXPECT_NE(page.find("var plays = 3, most = 2500;"), std::string::npos);
}

// A long line of every kind of byte and color, and its colors.
struct LongArt {
  ByteString line;
  std::vector<Rgb> ink, paper;
};

LongArt MakeLongArt() {
  LongArt art;
  std::mt19937 random(64);
  std::uniform_int_distribution<int> byte(0, 255), color(0, 3);
  const Rgb colors[] = {kNoColor, 0xFF0000, 0x00FF80, 0x101010};
  for (int i = 0; i < 300000; ++i) {
    const int kind = byte(random);
    // Mostly printable ASCII in runs of a color, as art is; the rest
    // anything, pairs of code page 936 most of all.
    const Rgb ink = colors[i / 7 % 4], paper = colors[color(random) == 0 ? color(random) : 0];
    if (kind < 160) {
      art.line += static_cast<char>(0x20 + kind % 0x5F);
      art.ink.push_back(ink), art.paper.push_back(paper);
    } else if (kind < 240) {
      art.line += {static_cast<char>(0xB0 + kind % 0x40), static_cast<char>(0xA1 + byte(random) % 0x5E)};
      art.ink.insert(art.ink.end(), 2, ink), art.paper.insert(art.paper.end(), 2, paper);
    } else {
      art.line += static_cast<char>(byte(random));
      art.ink.push_back(ink), art.paper.push_back(paper);
    }
  }
  return art;
}

TEST(ArtWriter, APartedLineIsTheLineWhole) {
  const LongArt art = MakeLongArt();
  for (const ArtForm form : kForms) {
    for (const TerminalColors colors : {TerminalColors::TrueColor, TerminalColors::Palette16}) {
      const ArtFormSettings settings{.form = form, .terminal = {.colors = colors}};
      const std::string whole = Line(settings, art.line, {art.ink, art.paper});
      const std::string parted = Written(settings, [&](ArtWriter& writer) {
        // Parts of whole symbols: cut only after an ASCII byte, which ends
        // a symbol wherever it stands.
        std::size_t at = 0;
        for (std::size_t cut = 1000; cut < art.line.size(); cut += 7919) {
          while (cut < art.line.size() && static_cast<unsigned char>(art.line[cut - 1]) >= 0x80) ++cut;
          writer.LinePart(ByteStringView(art.line).substr(at, cut - at),
                          LineColors(art.ink, art.paper).Part(at, cut - at));
          at = cut;
        }
        writer.LinePart(ByteStringView(art.line).substr(at),
                        LineColors(art.ink, art.paper).Part(at, art.line.size() - at));
        writer.EndLine();
      });
      EXPECT_EQ(parted, whole) << static_cast<int>(form);
    }
  }
}

TEST(ArtWriter, ArtTextIsItsLinesOneByOne) {
  const LongArt art = MakeLongArt();
  ByteString text;
  std::vector<Rgb> ink, paper;
  std::vector<std::size_t> ends;
  for (std::size_t at = 0; at < art.line.size(); at += 1000) {
    const std::size_t length = std::min<std::size_t>(1000, art.line.size() - at);
    ByteString line = art.line.substr(at, length);
    std::replace(line.begin(), line.end(), '\r', ' ');  // a line holds no line break
    text += line + "\r\n";
    ink.insert(ink.end(), art.ink.begin() + at, art.ink.begin() + at + length), ink.insert(ink.end(), 2, kNoColor);
    paper.insert(paper.end(), art.paper.begin() + at, art.paper.begin() + at + length);
    paper.insert(paper.end(), 2, kNoColor);
    ends.push_back(text.size());
  }
  for (const ArtForm form : kForms) {
    const std::string whole = Written({.form = form}, [&](ArtWriter& writer) { writer.Lines(text, {ink, paper}); });
    const std::string each = Written({.form = form}, [&](ArtWriter& writer) {
      std::size_t at = 0;
      for (const std::size_t end : ends) {
        const std::size_t length = end - 2 - at;
        writer.Line(ByteStringView(text).substr(at, length), LineColors(ink, paper).Part(at, length));
        at = end;
      }
    });
    EXPECT_EQ(whole, each) << static_cast<int>(form);
  }
}

}  // namespace
}  // namespace morvexa
