#pragma once

#include <array>
#include <span>

#include "morvexa/color.h"

namespace morvexa {

// How many colors a terminal shows.
enum class TerminalColors { TrueColor, Palette256, Palette16 };

// A terminal's own sixteen colors, by their index.
using SixteenColors = std::array<Rgb, 16>;
// xterm's, which most terminals follow unless they say otherwise.
inline constexpr SixteenColors kXtermSixteen = {0x000000, 0xCD0000, 0x00CD00, 0xCDCD00, 0x0000EE, 0xCD00CD,
                                                0x00CDCD, 0xE5E5E5, 0x7F7F7F, 0xFF0000, 0x00FF00, 0xFFFF00,
                                                0x5C5CFF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
// The Linux console's, as its kernel sets them.
inline constexpr SixteenColors kLinuxConsoleSixteen = {0x000000, 0xAA0000, 0x00AA00, 0xAA5500, 0x0000AA, 0xAA00AA,
                                                       0x00AAAA, 0xAAAAAA, 0x555555, 0xFF5555, 0x55FF55, 0xFFFF55,
                                                       0x5555FF, 0xFF55FF, 0x55FFFF, 0xFFFFFF};

// The colors art is drawn for: how many the terminal shows, and, for a
// terminal of sixteen, which.
struct TerminalPalette {
  TerminalColors colors = TerminalColors::TrueColor;
  SixteenColors sixteen = kXtermSixteen;
  bool operator==(const TerminalPalette&) const = default;
};

// The colors of a palette, by their index: xterm's 256 (the 6 x 6 x 6 cube
// and 24 grays after 16 the terminal keeps to itself, shown as xterm's), or
// the terminal's sixteen; none for true color. The span lives as long as
// the palette does.
std::span<const Rgb> PaletteColors(const TerminalPalette& palette);

// The xterm 256-color palette index nearest a color: of the cube or the
// grays, never of the first sixteen.
int NearestPalette256(Rgb color);
// The index of a terminal's sixteen colors nearest a color.
int NearestPalette16(Rgb color, const SixteenColors& sixteen = kXtermSixteen);

}  // namespace morvexa
