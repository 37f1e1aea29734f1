#pragma once

#include <span>

#include "morvexa/color.h"

namespace morvexa {

// How many colors a terminal shows.
enum class TerminalColors { TrueColor, Palette256, Palette16 };

// The colors of a terminal's palette, by their index: xterm's 256 (its 16,
// the 6 x 6 x 6 cube and 24 grays) or its 16; none for true color.
std::span<const Rgb> PaletteColors(TerminalColors palette);

// The xterm 256-color palette index nearest a color.
int NearestPalette256(Rgb color);
// The index of the terminal's sixteen colors (xterm's) nearest a color.
int NearestPalette16(Rgb color);

}  // namespace morvexa
