#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "morvexa/art_writer.h"

namespace morvexa::cli {

// The terminal standard output shows, as far as it tells.
struct TerminalSize {
  std::size_t columns = 0, rows = 0;
  // The size of its font in pixels an em, from its cells' pixels when it
  // tells them; 0 when it does not.
  int fontPixels = 0;
  bool operator==(const TerminalSize&) const = default;
};
// The size of a terminal's font when it does not tell: pixels an em, for
// cells about 16 pixels high.
inline constexpr int kTerminalFontPixels = 14;
// The sizes of font a terminal's cells can plausibly stand for, in pixels
// an em: a cell height outside them (a terminal that reports 65535 pixels)
// is taken as not told. Glyphs are seen as 8 x 16 samples however large.
inline constexpr int kLeastFontPixels = 6, kMostFontPixels = 128;
// Its size in character cells; nothing when standard output is not a
// terminal. A terminal that does not say takes COLUMNS and LINES, else
// 80 x 24.
std::optional<TerminalSize> StandardOutputTerminal();

// The colors a terminal shows: 24-bit when COLORTERM says so; else as its
// terminfo entry (TERM) has it: 16 for a terminal of 8 or 16 colors, 24-bit
// for one of more than 256; 256 when it says nothing plainer.
TerminalColors TerminalColorsShown();

// What the terminal says of itself when asked, once a run, in one round
// trip (and through tmux's and GNU screen's passthrough, where they let
// it): its background color (OSC 11) and its sixteen colors (OSC 4). Asked
// only when standard input and output are the same terminal; a terminal
// that answers nothing costs 100 ms at most, and no answer is shown or left
// in the input.
struct TerminalAnswers {
  std::optional<Rgb> background;
  std::array<std::optional<Rgb>, 16> sixteen;
};
const TerminalAnswers& AskedTerminal();

// The terminal's sixteen colors: as it answers; else the Linux console's
// for TERM=linux (which answers no question), xterm's for any other.
SixteenColors TerminalSixteen();

// Whether the terminal's background is dark: as the terminal answers when
// asked, else as COLORFGBG says (which some terminals set); nothing when
// neither says. Asked once a run.
std::optional<bool> TerminalBackgroundDark();

// Whether COLORFGBG says the background is dark.
std::optional<bool> BackgroundOfColorFgBg();

}  // namespace morvexa::cli
