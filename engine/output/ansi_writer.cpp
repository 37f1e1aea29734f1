// The art as UTF-8 for a terminal: the colors of its cells as the
// terminal's escapes (SGR), in 24-bit color or the nearest of a palette of
// 256 or 16, each line's colors reset at its end, followed by LF.
#include "output/form_writers.h"
#include "output/unicode_form_writer.h"

namespace morvexa {

namespace {

class AnsiWriter final : public UnicodeFormWriter<AnsiWriter, ArtForm::Ansi> {
 public:
  // The most one character takes: two 24-bit color escapes (2 x 19 bytes)
  // and four bytes of UTF-8.
  static_assert(2 * 19 + 4 <= FormBuffer::kMostPerCharacter);

  AnsiWriter(const ArtFormSettings& settings, ArtWriter::Sink sink)
      : UnicodeFormWriter(settings, std::move(sink)), terminal_(settings.terminal) {}

  // A terminal of a palette shows the nearest of its colors: by its index,
  // above kNoColor's bits.
  Rgb Shown(Rgb color) const {
    switch (terminal_.colors) {
      case TerminalColors::TrueColor: break;
      case TerminalColors::Palette256: return kNoColor + 1 + static_cast<Rgb>(NearestPalette256(color));
      case TerminalColors::Palette16:
        return kNoColor + 1 + static_cast<Rgb>(NearestPalette16(color, terminal_.sixteen));
    }
    return color;
  }

  char* PutColors(char* out, Rgb ink, Rgb paper, Rgb wasInk, Rgb wasPaper) const {
    if (ink != wasInk) out = PutColor(out, ink, false);
    if (paper != wasPaper) out = PutColor(out, paper, true);
    return out;
  }

  static char* PutLineEnd(char* out, bool colored) {
    if (colored) out = Put(out, "\x1b[0m");
    *out++ = '\n';
    return out;
  }

 private:
  // The escape that sets the ink or the paper to a color as Shown gives it
  // (none: the terminal's own).
  char* PutColor(char* out, Rgb color, bool paper) const {
    if (color == kNoColor) return Put(out, paper ? "\x1b[49m" : "\x1b[39m");
    const auto index = static_cast<unsigned>(color - kNoColor - 1);  // of a palette's color (Shown)
    switch (terminal_.colors) {
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

  TerminalPalette terminal_;
};

}  // namespace

std::unique_ptr<FormWriter> MakeAnsiWriter(const ArtFormSettings& settings, ArtWriter::Sink sink) {
  return std::make_unique<AnsiWriter>(settings, std::move(sink));
}

}  // namespace morvexa
