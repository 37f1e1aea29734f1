#include "art_writer.h"

#include <array>
#include <cstdio>

#include "cp936.h"

namespace morvexa {

namespace {

constexpr std::string_view kPageHead1 =
    "<!DOCTYPE html>\n"
    "<html lang=\"zh-CN\">\n"
    "<head>\n"
    "<meta charset=\"utf-8\">\n"
    "<title>";
// The fonts keep a Chinese character exactly twice as wide as an ASCII
// one, so the art's lines stay aligned.
constexpr std::string_view kPageHead2 =
    "</title>\n"
    "<style>\n"
    "pre { font-family: \"AR PL UMing CN\", \"Noto Sans Mono CJK SC\", \"Sarasa Mono SC\", "
    "\"WenQuanYi Zen Hei Mono\", NSimSun, SimSun, monospace; font-size: 12px; line-height: 1.25; "
    "color: #000; background: #fff; }\n"
    "</style>\n"
    "</head>\n"
    "<body>\n"
    "<pre>\n";
constexpr std::string_view kPageEnd = "</pre>\n</body>\n</html>\n";

void AppendEscaped(std::string_view text, std::string& out) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
}

void AppendHex(Rgb color, std::string& out) {
  static constexpr char kHex[] = "0123456789abcdef";
  for (int shift = 20; shift >= 0; shift -= 4) out += kHex[color >> shift & 0xF];
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendNumber(unsigned n, std::string& out) {
  char digits[4];
  const int count = std::snprintf(digits, sizeof digits, "%u", n);
  out.append(digits, static_cast<std::size_t>(count));
}

}  // namespace

int NearestPalette256(Rgb color) {
  static constexpr std::array<unsigned, 6> kLevels = {0, 95, 135, 175, 215, 255};
  const unsigned r = color >> 16 & 0xFF, g = color >> 8 & 0xFF, b = color & 0xFF;
  auto nearestLevel = [](unsigned v) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < kLevels.size(); ++i) {
      if ((v > kLevels[i] ? v - kLevels[i] : kLevels[i] - v) < (v > kLevels[best] ? v - kLevels[best] : kLevels[best] - v)) best = i;
    }
    return best;
  };
  auto distance = [&](unsigned cr, unsigned cg, unsigned cb) {
    const int dr = static_cast<int>(r) - static_cast<int>(cr), dg = static_cast<int>(g) - static_cast<int>(cg),
              db = static_cast<int>(b) - static_cast<int>(cb);
    return dr * dr + dg * dg + db * db;
  };
  const std::size_t ri = nearestLevel(r), gi = nearestLevel(g), bi = nearestLevel(b);
  const int cube = static_cast<int>(16 + 36 * ri + 6 * gi + bi);
  const int cubeDistance = distance(kLevels[ri], kLevels[gi], kLevels[bi]);
  // The 24 grays from 8 to 238 in steps of 10.
  const unsigned mean = (r + g + b) / 3;
  const unsigned grayIndex = mean < 8 ? 0 : std::min(23u, (mean - 8 + 5) / 10);
  const unsigned gray = 8 + 10 * grayIndex;
  return distance(gray, gray, gray) < cubeDistance ? static_cast<int>(232 + grayIndex) : cube;
}

ArtWriter::ArtWriter(const ArtFormSettings& settings, Sink sink) : settings_(settings), sink_(std::move(sink)) {
  if (settings_.form != ArtForm::Html) return;
  out_ = kPageHead1;
  AppendEscaped(settings_.title, out_);
  out_ += kPageHead2;
  sink_(out_);
}

void ArtWriter::Line(ByteStringView line, std::span<const Rgb> colors) {
  if (settings_.form == ArtForm::Gbk) {
    sink_(line);
    sink_(kLineBreak);
    return;
  }
  out_.clear();
  const bool html = settings_.form == ArtForm::Html, ansi = settings_.form == ArtForm::Ansi;
  Rgb current = kNoColor;
  const bool colored = (html || ansi) && colors.size() == line.size();
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t at = i;
    char32_t c;
    i += cp936::DecodeAt(line, i, c);
    if (cp936::IsByteEscape(c) || (html && ((c < 0x20 && c != '\t') || c == 0x7F))) {
      c = 0xFFFD;
      ++undecodable_;
    }
    const Rgb color = colored && (colors[at] & kNoColor) == 0 ? colors[at] : kNoColor;
    if (color != current) {
      if (html && current != kNoColor) out_ += "</span>";
      current = color;
      Color(color);
    }
    if (html && (c == '&' || c == '<' || c == '>' || c == '"')) {
      const char ascii = static_cast<char>(c);
      AppendEscaped(std::string_view(&ascii, 1), out_);
    } else {
      AppendUtf8(c, out_);
    }
  }
  if (html && current != kNoColor) out_ += "</span>";
  if (ansi && current != kNoColor) out_ += "\x1b[0m";
  out_ += '\n';
  sink_(out_);
}

void ArtWriter::Color(Rgb color) {
  if (settings_.form == ArtForm::Html) {
    if (color == kNoColor) return;
    out_ += "<span style=\"color:#";
    AppendHex(color, out_);
    out_ += "\">";
    return;
  }
  if (color == kNoColor) {
    out_ += "\x1b[39m";
    return;
  }
  if (settings_.terminal == TerminalColors::TrueColor) {
    out_ += "\x1b[38;2;";
    AppendNumber(color >> 16 & 0xFF, out_);
    out_ += ';';
    AppendNumber(color >> 8 & 0xFF, out_);
    out_ += ';';
    AppendNumber(color & 0xFF, out_);
    out_ += 'm';
  } else {
    out_ += "\x1b[38;5;";
    AppendNumber(static_cast<unsigned>(NearestPalette256(color)), out_);
    out_ += 'm';
  }
}

void ArtWriter::Finish() {
  if (settings_.form == ArtForm::Html) sink_(kPageEnd);
}

}  // namespace morvexa
