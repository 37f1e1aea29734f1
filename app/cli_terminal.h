#pragma once

#include <cstddef>
#include <optional>

#include "morvexa/art_writer.h"

namespace morvexa::cli {

// The terminal standard output shows, as far as it tells.
struct TerminalSize {
  std::size_t columns = 0, rows = 0;
  bool operator==(const TerminalSize&) const = default;
};
// Its size in character cells; nothing when standard output is not a
// terminal. A terminal that does not say takes COLUMNS and LINES, else
// 80 x 24.
std::optional<TerminalSize> StandardOutputTerminal();

// The colors a terminal shows: 24-bit when COLORTERM says so; else as its
// terminfo entry (TERM) has it: 16 for a terminal of 8 or 16 colors, 24-bit
// for one of more than 256; 256 when it says nothing plainer.
TerminalColors TerminalPalette();

// Whether the terminal's background is dark: as the terminal answers when
// asked (AskedBackground), else as COLORFGBG says (which some terminals
// set); nothing when neither says. Asked once a run.
std::optional<bool> TerminalBackgroundDark();

// The terminal's background color, asked of it (OSC 11) when standard
// input and output are the same terminal. A terminal that does not answer
// costs 100 ms at most; the answer is neither shown nor left in the input.
std::optional<Rgb> AskedBackground();

// Whether COLORFGBG says the background is dark.
std::optional<bool> BackgroundOfColorFgBg();

}  // namespace morvexa::cli
