#pragma once

#include <algorithm>
#include <bit>
#include <span>
#include <string_view>

#include "morvexa/cp936.h"
#include "output/form_buffer.h"
#include "output/form_writer.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace morvexa {

// What the forms of Unicode share: the art's code page 936 decoded to
// UTF-8, its bytes that code page 936 cannot decode written as U+FFFD and
// counted, and, in a form that shows colors (kForm), the change of colors
// written before each cell that changes them. Form, the writer of one form,
// derives from UnicodeFormWriter<Form, its ArtForm> and says the rest, all
// resolved as the code is compiled, so that a form costs no call per byte:
//   Keeps(c), Keeps16(v)    whether it keeps a byte (sixteen) as it is (any
//                           ASCII byte unless it says otherwise)
//   Escape(c)               what it writes for a byte it does not keep, if
//                           not the byte's character (nothing unless it says)
//   Refuses(c)              a character it writes as U+FFFD (none unless it
//                           says)
//   Shown(color)            the color as it shows it (as it is unless it says)
//   PutColors(out, ink, paper, wasInk, wasPaper)
//                           the change of colors (a form that shows colors)
//   PutLineEnd(out, colored) a line's end, and of its colors where colored
template <class Form, ArtForm kForm>
class UnicodeFormWriter : public FormWriter {
 public:
  UnicodeFormWriter(const ArtFormSettings& settings, ArtWriter::Sink sink)
      : buffer_(std::move(sink)), paperBehindInk_(settings.paperBehindInk) {}

  void LinePart(ByteStringView line, LineColors colors) final;
  void EndLine() final;
  std::size_t Undecodable() const final { return undecodable_; }

 protected:
  static constexpr bool Keeps(char c) { return static_cast<unsigned char>(c) < 0x80; }
#if defined(__SSE2__)
  static __m128i Keeps16(__m128i bytes) { return _mm_cmpgt_epi8(bytes, _mm_set1_epi8(-1)); }
#endif
  static std::string_view Escape(char) { return {}; }
  static bool Refuses(char32_t) { return false; }
  Rgb Shown(Rgb color) const { return color; }

  FormBuffer buffer_;

 private:
  static constexpr bool kColors = ShowsColors(kForm);
  // Whether the form keeps every ASCII byte as it is.
  static constexpr bool KeepsAscii() {
    for (int c = 0; c < 0x80; ++c) {
      if (!Form::Keeps(static_cast<char>(c))) return false;
    }
    return true;
  }

  // Where the run of bytes from i on that the form keeps as they are, all
  // of the colors of byte i (when colors are given), ends, at most at most.
  static std::size_t PlainRunEnd(ByteStringView line, LineColors colors, std::size_t i, std::size_t most);

  Rgb paperBehindInk_;
  Rgb ink_ = kNoColor, paper_ = kNoColor;  // the colors the line stands in
  std::size_t undecodable_ = 0;
};

namespace unicode_form {

// Whether every byte is ASCII (written so that it vectorizes).
inline bool IsAscii(ByteStringView bytes) {
  unsigned char any = 0;
  for (const char c : bytes) any |= static_cast<unsigned char>(c);
  return any < 0x80;
}

#if defined(__SSE2__)
// Whether the colors of bytes at and at + 1 ... at + 15 all equal color
// (none given: they do).
inline __m128i SameColors16(std::span<const Rgb> colors, std::size_t at, Rgb color) {
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

}  // namespace unicode_form

template <class Form, ArtForm kForm>
std::size_t UnicodeFormWriter<Form, kForm>::PlainRunEnd(ByteStringView line, LineColors colors, std::size_t i,
                                                        std::size_t most) {
  std::size_t end = i;
  const Rgb ink = colors.ink.empty() ? 0 : colors.ink[i], paper = colors.paper.empty() ? 0 : colors.paper[i];
#if defined(__SSE2__)
  // Sixteen bytes and their colors at a time.
  for (; end + 16 <= most; end += 16) {
    __m128i kept = Form::Keeps16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + end)));
    if constexpr (kColors) {
      kept = _mm_and_si128(kept, _mm_and_si128(unicode_form::SameColors16(colors.ink, end, ink),
                                               unicode_form::SameColors16(colors.paper, end, paper)));
    }
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(kept));
    if (mask != 0xFFFF) return end + static_cast<std::size_t>(std::countr_one(mask));
  }
#endif
  while (end < most && Form::Keeps(line[end]) && (colors.ink.empty() || colors.ink[end] == ink) &&
         (colors.paper.empty() || colors.paper[end] == paper)) {
    ++end;
  }
  return end;
}

template <class Form, ArtForm kForm>
void UnicodeFormWriter<Form, kForm>::LinePart(ByteStringView line, LineColors colors) {
  const Form& form = static_cast<const Form&>(*this);
  const bool inked = kColors && colors.ink.size() == line.size();
  const bool papered = kColors && colors.paper.size() == line.size();
  if constexpr (KeepsAscii()) {
    if (!inked && !papered && ink_ == kNoColor && paper_ == kNoColor && unicode_form::IsAscii(line)) {
      buffer_.Write(line);
      return;
    }
  }
  const LineColors used(inked ? colors.ink : std::span<const Rgb>(), papered ? colors.paper : std::span<const Rgb>());
  char* const full = buffer_.Full();
  char* out = buffer_.At();
  // What each color shows as, worked out again only when it changes.
  auto showing = [&form, given = kNoColor, shown = kNoColor](Rgb color) mutable {
    if (color != given) given = color, shown = form.Shown(color);
    return shown;
  };
  auto inkShown = showing, paperShown = showing;
  const Rgb behind = kColors && !papered && paperBehindInk_ != kNoColor ? form.Shown(paperBehindInk_) : kNoColor;
  for (std::size_t i = 0; i < line.size();) {
    if (out >= full) out = buffer_.HandOver(out);
    if constexpr (kColors) {
      const Rgb nextInk = inked && (colors.ink[i] & kNoColor) == 0 ? inkShown(colors.ink[i]) : kNoColor;
      const Rgb nextPaper = papered && (colors.paper[i] & kNoColor) == 0 ? paperShown(colors.paper[i])
                            : behind != kNoColor && nextInk != kNoColor  ? behind
                                                                         : kNoColor;
      if (nextInk != ink_ || nextPaper != paper_) {
        out = form.PutColors(out, nextInk, nextPaper, ink_, paper_);
        ink_ = nextInk, paper_ = nextPaper;
      }
    }
    // Most art is runs of printable ASCII, which every form keeps as it is
    // but for a few bytes of its own.
    const std::size_t most = std::min(line.size(), i + static_cast<std::size_t>(full - out) + 1);
    const std::size_t end = PlainRunEnd(line, used, i, most);
    if (end > i) {
      out = Put(out, line.substr(i, end - i));
      i = end;
      continue;
    }
    if (const std::string_view escape = Form::Escape(line[i]); !escape.empty()) {
      out = Put(out, escape);
      ++i;
      continue;
    }
    char32_t c;
    i += cp936::DecodeAt(line, i, c);
    if (cp936::IsByteEscape(c) || Form::Refuses(c)) {
      c = 0xFFFD;
      ++undecodable_;
    }
    out = PutUtf8(out, c);
  }
  buffer_.Filled(out);
}

template <class Form, ArtForm kForm>
void UnicodeFormWriter<Form, kForm>::EndLine() {
  char* out = static_cast<const Form&>(*this).PutLineEnd(buffer_.At(), ink_ != kNoColor || paper_ != kNoColor);
  ink_ = paper_ = kNoColor;
  buffer_.Filled(out);
  buffer_.Flush();
}

}  // namespace morvexa
