#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "morvexa/color.h"
#include "morvexa/terminal_palette.h"

namespace morvexa {

// A way to draw a cell in two colors: with symbol, which inks `inked` of
// the cell's samples, whose channels (0-255) sum to inkedSum; ink and paper
// the means of the samples inked and of the others (the colors true color
// draws it in).
struct Split {
  std::size_t symbol = 0;
  int inked = 0;
  std::array<double, 3> inkedSum{};
  Rgb ink = 0, paper = 0;
};

// The split, and its ink and paper of a terminal's palette, that draw a
// cell of samples samples (whose channels sum to total) best: each sample
// near the palette color that draws it, and the cell from afar (its two
// colors mixed as its symbol mixes them) near the cell's mean color, which
// counts as much as every sample together. So a cell of one color between
// two of the palette takes a symbol that mixes them, when one is among the
// splits: dithering inside the cell. The inks tried are the palette's
// around the ink's own color; for each, the best paper of the whole
// palette is found in one step (the cost is quadratic in it).
struct PaletteSplit {
  std::size_t split = 0;  // of splits
  Rgb ink = 0, paper = 0;
};
// The palette's colors around a color, to be tried for it: of 256, the
// cube's at the two levels nearest each channel and the two nearest grays
// (the first 16 are the terminal's own, which the art's writer never
// uses); of 16, the six nearest. Added to out.
void PaletteAround(Rgb color, const TerminalPalette& palette, std::vector<Rgb>& out);

PaletteSplit ChoosePaletteSplit(std::span<const Split> splits, int samples, const std::array<double, 3>& total,
                                const TerminalPalette& palette);

}  // namespace morvexa
