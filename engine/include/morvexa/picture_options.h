#pragma once

#include <cstddef>
#include <optional>

#include "morvexa/art_size.h"
#include "morvexa/byte_string.h"
#include "morvexa/color.h"
#include "morvexa/terminal_palette.h"

namespace morvexa {

// How a picture becomes art beyond one symbol per pixel. Left at their
// defaults they change nothing: one symbol per pixel, a symbol per color.
struct PictureOptions {
  // Columns and lines of the art; 0 for not given. With one given, the
  // other follows the picture's proportions corrected by aspect, the
  // width of a text cell over its height.
  std::size_t width = 0;
  std::size_t height = 0;
  double aspect = 0.5;
  // At most this many colors (2 to 95); 0: all of them, except that a
  // sized picture with more than 95 is reduced to 95.
  int colors = 0;
  bool dither = false;
  // Symbols from light to dark: each cell takes the one of its brightness
  // instead of one for its color. invert turns dark into light (for the
  // ramp, the shapes and the blocks: light ink on dark paper).
  std::optional<ByteString> ramp;
  bool invert = false;
  // Each cell takes the printable ASCII symbol whose glyph best matches
  // the pattern of the pixels it covers (see convert/shapes_to_art.h).
  bool shapes = false;
  // Each cell gets a paper color as well as an ink color, for the forms
  // that show colors: the two colors of the best split of its pixels in
  // two (shapes, blocks), or its own color behind a symbol that contrasts
  // with it (the ramp, a symbol per color).
  bool fill = false;
  // Cells of block elements, each split in two colors (see
  // convert/blocks_to_art.h): halves and quadrants; only the halves and
  // eighths that code page 936 holds; braille's 2 x 4 dots.
  enum class Blocks { None, Quadrants, CodePage936, Braille };
  Blocks blocks = Blocks::None;
  // The colors the art is shown in: for a terminal of 256 or 16 colors,
  // the shapes of fill and the blocks choose each cell's ink and paper from
  // its palette, together, so that the cell keeps its look from afar.
  TerminalColors palette = TerminalColors::TrueColor;

  // As many as there are printable ASCII symbols, one for each color.
  static constexpr int kMostColors = 95;
  // The symbols of the ramp, in the order of the ink they have in the
  // built-in font's glyphs, lightest first.
  static constexpr std::string_view kDefaultRamp = " .:+xo%#@";

  bool Sized() const { return width != 0 || height != 0; }
  // The samples of the picture each cell is seen as, wide and high: more
  // than one for the shapes and the blocks, whose cells have a pattern.
  struct CellSamples {
    int wide = 1, high = 1;
  };
  CellSamples Samples() const;
  // The pixels across a cell covers when no size is given: its finest
  // detail a pixel (a glyph's 8 columns; the 2 of quadrants and braille).
  int PixelsAcross() const;
  // Whether the options ask for anything but one symbol per color of each
  // pixel.
  bool Plain() const { return !Sized() && colors == 0 && !ramp && !shapes && !fill && blocks == Blocks::None; }
};

// The columns and lines of the art of a width x height picture. Without a
// size, a cell covers PixelsAcross pixels across (one symbol a pixel and
// color: one), and the lines follow.
ArtSize FitArtSize(std::size_t width, std::size_t height, const PictureOptions& options);

// The largest art of a width x height picture's proportions (corrected by
// aspect) that fits in columns x lines.
ArtSize FitArtWithin(std::size_t width, std::size_t height, std::size_t columns, std::size_t lines, double aspect);

}  // namespace morvexa
