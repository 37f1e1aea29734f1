#include "morvexa/art_writer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "morvexa/cp936.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace morvexa {

namespace {

constexpr std::string_view kPageHead1 =
    "<!DOCTYPE html>\n"
    "<html lang=\"zh-CN\">\n"
    "<head>\n"
    "<meta charset=\"utf-8\">\n"
    "<title>";
// The fonts keep a Chinese character exactly twice as wide as an ASCII
// one, so the art's lines stay aligned. A run of a color is a box as high
// as its line, so that the cells' papers tile with no stripe between the
// lines (an inline run's paper covers only its font's height). Runs end
// with their line.
constexpr std::string_view kPageHead2 =
    "</title>\n"
    "<style>\n"
    "pre { font-family: \"AR PL UMing CN\", \"Noto Sans Mono CJK SC\", \"Sarasa Mono SC\", "
    "\"WenQuanYi Zen Hei Mono\", NSimSun, SimSun, monospace; font-size: 12px; line-height: 1.25; "
    "color: #000; background: #fff; }\n"
    "pre span { display: inline-block; }\n"
    "</style>\n"
    "</head>\n"
    "<body>\n";
constexpr std::string_view kArtBegins = "<pre>\n", kArtEnds = "</pre>\n", kPageEnd = "</body>\n</html>\n";

// A page that plays its frames: each a <pre> of its own, all but the one
// shown hidden, stepped by a timer (which a browser with virtual time runs
// too, where it would not run a CSS animation). The script begins with how
// many times it plays the frames and for how long at most (kPlayerEnd).
constexpr std::string_view kPlayerEnd =
    "  var frames = document.querySelectorAll(\"pre[data-delay]\");\n"
    "  var shown = 0, played = 0, began = Date.now();\n"
    "  function step() {\n"
    "    var next = shown + 1;\n"
    "    if (next === frames.length) {\n"
    "      if (plays && ++played >= plays) return;\n"
    "      next = 0;\n"
    "    }\n"
    "    if (most && Date.now() - began >= most) return;\n"
    "    frames[shown].hidden = true;\n"
    "    frames[next].hidden = false;\n"
    "    shown = next;\n"
    "    setTimeout(step, +frames[shown].dataset.delay);\n"
    "  }\n"
    "  if (frames.length > 1) setTimeout(step, +frames[0].dataset.delay);\n"
    "})();\n"
    "</script>\n";

// Output is gathered in a buffer of this size and handed to the sink when
// less than kMostPerCharacter bytes are left in it.
constexpr std::size_t kBufferSize = 64 * 1024;
// The most one character can take: closing a span and opening another
// with both colors (7 + 49 bytes), then "&amp;" (5); or two 24-bit color
// escapes (2 x 19) and four bytes of UTF-8.
constexpr std::size_t kMostPerCharacter = 80;

// Writing into the buffer at a moving pointer.
char* Put(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

// A page's text escapes these (and needs no more: it has no attributes).
std::string_view HtmlEscape(char c) {
  switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    default: return {};
  }
}

// Whether the form keeps a byte as it is: any ASCII byte, but in a page
// only printable ones that are not its specials.
bool IsPlain(char c, bool html) {
  const auto byte = static_cast<unsigned char>(c);
  if (!html) return byte < 0x80;
  return byte >= 0x20 && byte < 0x7F && c != '&' && c != '<' && c != '>';
}

// Whether the colors of bytes at and at + 1 ... at + count - 1 all equal
// color, sixteen at a time (none given: they do).
#if defined(__SSE2__)
__m128i SameColors16(std::span<const Rgb> colors, std::size_t at, Rgb color) {
  if (colors.empty()) return _mm_set1_epi8(-1);
  const __m128i wanted = _mm_set1_epi32(static_cast<int>(color));
  const auto* from = reinterpret_cast<const __m128i*>(colors.data() + at);
  const __m128i same03 = _mm_packs_epi32(_mm_cmpeq_epi32(_mm_loadu_si128(from), wanted),
                                         _mm_cmpeq_epi32(_mm_loadu_si128(from + 1), wanted));
  const __m128i same47 = _mm_packs_epi32(_mm_cmpeq_epi32(_mm_loadu_si128(from + 2), wanted),
                                         _mm_cmpeq_epi32(_mm_loadu_si128(from + 3), wanted));
  return _mm_packs_epi16(same03, same47);
}
#endif

// Where the run of bytes from i on that the form keeps as they are, all of
// the colors of byte i (when colors are given), ends, at most at most.
std::size_t PlainRunEnd(ByteStringView line, LineColors colors, std::size_t i, std::size_t most, bool html) {
  std::size_t end = i;
  const Rgb ink = colors.ink.empty() ? 0 : colors.ink[i], paper = colors.paper.empty() ? 0 : colors.paper[i];
#if defined(__SSE2__)
  // Sixteen bytes and their colors at a time.
  for (; end + 16 <= most; end += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + end));
    __m128i kept;
    if (html) {
      // Signed: bytes from 0x80 on are below 0x20 too.
      __m128i refused =
          _mm_or_si128(_mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20)), _mm_cmpeq_epi8(bytes, _mm_set1_epi8(0x7F)));
      for (const char special : {'&', '<', '>'}) {
        refused = _mm_or_si128(refused, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(special)));
      }
      kept = _mm_xor_si128(refused, _mm_set1_epi8(-1));
    } else {
      kept = _mm_cmpgt_epi8(bytes, _mm_set1_epi8(-1));
    }
    kept =
        _mm_and_si128(kept, _mm_and_si128(SameColors16(colors.ink, end, ink), SameColors16(colors.paper, end, paper)));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(kept));
    if (mask != 0xFFFF) return end + static_cast<std::size_t>(std::countr_one(mask));
  }
#endif
  while (end < most && IsPlain(line[end], html) && (colors.ink.empty() || colors.ink[end] == ink) &&
         (colors.paper.empty() || colors.paper[end] == paper)) {
    ++end;
  }
  return end;
}

// Whether every byte is ASCII (written so that it vectorizes).
bool IsAscii(ByteStringView bytes) {
  unsigned char any = 0;
  for (const char c : bytes) any |= static_cast<unsigned char>(c);
  return any < 0x80;
}

void AppendEscaped(std::string_view text, std::string& out) {
  for (char c : text) {
    const std::string_view escape = HtmlEscape(c);
    escape.empty() ? out += c : out += escape;
  }
}

// The decimal and hexadecimal digits of each byte's value, for writing
// colors without a branch per digit.
struct ByteDigits {
  std::array<std::array<char, 4>, 256> decimal;  // the digits, then room
  std::array<std::uint8_t, 256> decimalLength;
  std::array<std::array<char, 2>, 256> hex;
  constexpr ByteDigits() : decimal(), decimalLength(), hex() {
    constexpr char kHex[] = "0123456789abcdef";
    for (unsigned n = 0; n < 256; ++n) {
      unsigned length = 0;
      if (n >= 100) decimal[n][length++] = static_cast<char>('0' + n / 100);
      if (n >= 10) decimal[n][length++] = static_cast<char>('0' + n / 10 % 10);
      decimal[n][length++] = static_cast<char>('0' + n % 10);
      decimalLength[n] = static_cast<std::uint8_t>(length);
      hex[n] = {kHex[n >> 4], kHex[n & 0xF]};
    }
  }
};
constexpr ByteDigits kDigits;

// Each of a color's bytes as two hexadecimal digits.
char* PutHex(char* out, Rgb color) {
  for (int shift = 16; shift >= 0; shift -= 8) out = Put(out, {kDigits.hex[color >> shift & 0xFF].data(), 2});
  return out;
}

char* PutUtf8(char* out, char32_t c) {
  if (c < 0x80) {
    *out++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | c >> 6);
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out++ = static_cast<char>(0xE0 | c >> 12);
    *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | c >> 18);
    *out++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
    *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

// A number from 0 to 255 in decimal (the buffer has room for four bytes).
char* PutNumber(char* out, unsigned n) {
  std::memcpy(out, kDigits.decimal[n].data(), 4);
  return out + kDigits.decimalLength[n];
}

}  // namespace

ArtWriter::ArtWriter(const ArtFormSettings& settings, Sink sink) : settings_(settings), sink_(std::move(sink)) {
  if (settings_.form == ArtForm::Gbk) return;
  buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
  if (settings_.form != ArtForm::Html) return;
  std::string head(kPageHead1);
  AppendEscaped(settings_.title, head);
  head += kPageHead2;
  if (!settings_.playing) head += kArtBegins;
  sink_(head);
}

void ArtWriter::Frame(int delay) {
  if (settings_.form != ArtForm::Html || !settings_.playing) return;
  Flush();
  std::string begin(frames_ > 0 ? kArtEnds : std::string_view());
  begin += "<pre data-delay=\"" + std::to_string(delay) + "\"" + (frames_ > 0 ? " hidden" : "") + ">\n";
  sink_(begin);
  ++frames_;
}

ArtWriter::~ArtWriter() = default;

void ArtWriter::Line(ByteStringView line, LineColors colors) {
  LinePart(line, colors);
  EndLine();
}

void ArtWriter::LinePart(ByteStringView line, LineColors colors) {
  if (settings_.form == ArtForm::Gbk) {
    sink_(line);
    return;
  }
  const bool html = settings_.form == ArtForm::Html, ansi = settings_.form == ArtForm::Ansi;
  const bool inked = (html || ansi) && colors.ink.size() == line.size();
  const bool papered = (html || ansi) && colors.paper.size() == line.size();
  if (!html && !inked && !papered && ink_ == kNoColor && paper_ == kNoColor && IsAscii(line)) {
    Flush();
    sink_(line);
    return;
  }
  const LineColors used(inked ? colors.ink : std::span<const Rgb>(), papered ? colors.paper : std::span<const Rgb>());
  char* const begin = buffer_.get();
  char* const full = begin + kBufferSize - kMostPerCharacter;
  char* out = begin + filled_;
  // What each color shows as, worked out again only when it changes.
  auto showing = [this, given = kNoColor, shown = kNoColor](Rgb color) mutable {
    if (color != given) given = color, shown = Shown(color);
    return shown;
  };
  auto inkShown = showing, paperShown = showing;
  const Rgb behind =
      (ansi || html) && !papered && settings_.paperBehindInk != kNoColor ? Shown(settings_.paperBehindInk) : kNoColor;
  for (std::size_t i = 0; i < line.size();) {
    if (out >= full) {
      sink_(std::string_view(begin, static_cast<std::size_t>(out - begin)));
      out = begin;
    }
    const Rgb nextInk = inked && (colors.ink[i] & kNoColor) == 0 ? inkShown(colors.ink[i]) : kNoColor;
    const Rgb nextPaper = papered && (colors.paper[i] & kNoColor) == 0 ? paperShown(colors.paper[i])
                          : behind != kNoColor && nextInk != kNoColor  ? behind
                                                                       : kNoColor;
    if (nextInk != ink_ || nextPaper != paper_) {
      out = PutColors(out, nextInk, nextPaper, ink_, paper_);
      ink_ = nextInk, paper_ = nextPaper;
    }
    // Most art is runs of printable ASCII, which every form keeps as it is
    // but for a page's specials.
    const std::size_t most = std::min(line.size(), i + static_cast<std::size_t>(full - out) + 1);
    const std::size_t end = PlainRunEnd(line, used, i, most, html);
    if (end > i) {
      out = Put(out, line.substr(i, end - i));
      i = end;
      continue;
    }
    if (const std::string_view escape = html ? HtmlEscape(line[i]) : std::string_view(); !escape.empty()) {
      out = Put(out, escape);
      ++i;
      continue;
    }
    char32_t c;
    i += cp936::DecodeAt(line, i, c);
    if (cp936::IsByteEscape(c) || (html && ((c < 0x20 && c != '\t') || c == 0x7F))) {
      c = 0xFFFD;
      ++undecodable_;
    }
    out = PutUtf8(out, c);
  }
  filled_ = static_cast<std::size_t>(out - begin);
}

void ArtWriter::EndLine() {
  if (settings_.form == ArtForm::Gbk) {
    sink_(kLineBreak);
    return;
  }
  char* out = buffer_.get() + filled_;
  if (ink_ != kNoColor || paper_ != kNoColor) {
    out = Put(out, settings_.form == ArtForm::Html ? "</span>" : "\x1b[0m");
    ink_ = paper_ = kNoColor;
  }
  *out++ = '\n';
  filled_ = static_cast<std::size_t>(out - buffer_.get());
  Flush();
}

void ArtWriter::Flush() {
  if (filled_ == 0) return;
  sink_(std::string_view(buffer_.get(), filled_));
  filled_ = 0;
}

char* ArtWriter::PutColors(char* out, Rgb ink, Rgb paper, Rgb wasInk, Rgb wasPaper) const {
  if (settings_.form == ArtForm::Html) {
    if (wasInk != kNoColor || wasPaper != kNoColor) out = Put(out, "</span>");
    if (ink == kNoColor && paper == kNoColor) return out;
    out = Put(out, "<span style=\"");
    if (ink != kNoColor) {
      out = Put(out, "color:#");
      out = PutHex(out, ink);
    }
    if (paper != kNoColor) {
      out = Put(out, ink != kNoColor ? ";background:#" : "background:#");
      out = PutHex(out, paper);
    }
    return Put(out, "\">");
  }
  if (ink != wasInk) out = PutTerminalColor(out, ink, false);
  if (paper != wasPaper) out = PutTerminalColor(out, paper, true);
  return out;
}

Rgb ArtWriter::Shown(Rgb color) const {
  if (settings_.form != ArtForm::Ansi) return color;
  switch (settings_.terminal.colors) {
    case TerminalColors::TrueColor: break;
    case TerminalColors::Palette256: return kNoColor + 1 + static_cast<Rgb>(NearestPalette256(color));
    case TerminalColors::Palette16:
      return kNoColor + 1 + static_cast<Rgb>(NearestPalette16(color, settings_.terminal.sixteen));
  }
  return color;
}

char* ArtWriter::PutTerminalColor(char* out, Rgb color, bool paper) const {
  if (color == kNoColor) return Put(out, paper ? "\x1b[49m" : "\x1b[39m");
  const auto index = static_cast<unsigned>(color - kNoColor - 1);  // of a palette's color (Shown)
  switch (settings_.terminal.colors) {
    case TerminalColors::TrueColor:
      out = Put(out, paper ? "\x1b[48;2;" : "\x1b[38;2;");
      out = PutNumber(out, color >> 16 & 0xFF);
      *out++ = ';';
      out = PutNumber(out, color >> 8 & 0xFF);
      *out++ = ';';
      out = PutNumber(out, color & 0xFF);
      break;
    case TerminalColors::Palette256:
      out = Put(out, paper ? "\x1b[48;5;" : "\x1b[38;5;");
      out = PutNumber(out, index);
      break;
    case TerminalColors::Palette16: {
      // 30-37 and 90-97 for ink, 40-47 and 100-107 for paper.
      out = Put(out, "\x1b[");
      out = PutNumber(out, (index < 8 ? 30 + index : 90 + index - 8) + (paper ? 10 : 0));
      break;
    }
  }
  *out++ = 'm';
  return out;
}

void ArtWriter::Finish() {
  if (settings_.form != ArtForm::Html) return;
  if (settings_.playing && frames_ == 0) Frame(0);
  Flush();
  std::string end(kArtEnds);
  if (settings_.playing) {
    end += "<script>\n(function () {\n  var plays = " + std::to_string(settings_.playing->plays) +
           ", most = " + std::to_string(static_cast<long long>(settings_.playing->seconds * 1000)) + ";\n";
    end += kPlayerEnd;
  }
  sink_(end + std::string(kPageEnd));
}

}  // namespace morvexa
