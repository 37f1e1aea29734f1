// The art as one self-contained page of UTF-8: the art in a <pre>, runs
// of a color in a <span>, a page's specials escaped and control characters
// written as U+FFFD. A page that plays has a <pre> a frame and a small
// script that steps through them.
#include <string>

#include "output/form_writers.h"
#include "output/unicode_form_writer.h"

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

constexpr std::string_view kSpanEnds = "</span>";

class HtmlWriter final : public UnicodeFormWriter<HtmlWriter, ArtForm::Html> {
 public:
  // The most one character takes: closing a span and opening another with
  // both colors (7 + 49 bytes), then "&amp;" (5).
  static_assert(7 + 49 + 5 <= FormBuffer::kMostPerCharacter);

  HtmlWriter(const ArtFormSettings& settings, ArtWriter::Sink sink)
      : UnicodeFormWriter(settings, std::move(sink)), playing_(settings.playing) {
    std::string head(kPageHead1);
    for (const char c : settings.title) {
      const std::string_view escape = Escape(c);
      escape.empty() ? head += c : head += escape;
    }
    head += kPageHead2;
    if (!playing_) head += kArtBegins;
    buffer_.Write(head);
  }

  // A page's text escapes these (and needs no more: it has no attributes).
  static std::string_view Escape(char c) {
    switch (c) {
      case '&': return "&amp;";
      case '<': return "&lt;";
      case '>': return "&gt;";
      default: return {};
    }
  }

  // A page keeps only printable ASCII that is not its specials.
  static constexpr bool Keeps(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x7F && c != '&' && c != '<' && c != '>';
  }
#if defined(__SSE2__)
  static __m128i Keeps16(__m128i bytes) {
    // Signed: bytes from 0x80 on are below 0x20 too.
    __m128i refused =
        _mm_or_si128(_mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20)), _mm_cmpeq_epi8(bytes, _mm_set1_epi8(0x7F)));
    for (const char special : {'&', '<', '>'}) {
      refused = _mm_or_si128(refused, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(special)));
    }
    return _mm_xor_si128(refused, _mm_set1_epi8(-1));
  }
#endif

  // Control characters but the tab have no place in a page's text.
  static bool Refuses(char32_t c) { return (c < 0x20 && c != '\t') || c == 0x7F; }

  static char* PutColors(char* out, Rgb ink, Rgb paper, Rgb wasInk, Rgb wasPaper) {
    if (wasInk != kNoColor || wasPaper != kNoColor) out = Put(out, kSpanEnds);
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

  static char* PutLineEnd(char* out, bool colored) {
    if (colored) out = Put(out, kSpanEnds);
    *out++ = '\n';
    return out;
  }

  void Frame(int delay) override {
    if (!playing_) return;
    std::string begin(frames_ > 0 ? kArtEnds : std::string_view());
    begin += "<pre data-delay=\"" + std::to_string(delay) + "\"" + (frames_ > 0 ? " hidden" : "") + ">\n";
    buffer_.Write(begin);
    ++frames_;
  }

  void Finish() override {
    if (playing_ && frames_ == 0) Frame(0);
    std::string end(kArtEnds);
    if (playing_) {
      end += "<script>\n(function () {\n  var plays = " + std::to_string(playing_->plays) +
             ", most = " + std::to_string(static_cast<long long>(playing_->seconds * 1000)) + ";\n";
      end += kPlayerEnd;
    }
    buffer_.Write(end + std::string(kPageEnd));
  }

 private:
  std::optional<ArtFormSettings::Playing> playing_;
  std::size_t frames_ = 0;  // of a page that plays, begun so far
};

}  // namespace

std::unique_ptr<FormWriter> MakeHtmlWriter(const ArtFormSettings& settings, ArtWriter::Sink sink) {
  return std::make_unique<HtmlWriter>(settings, std::move(sink));
}

}  // namespace morvexa
