#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "morvexa/art_size.h"
#include "morvexa/byte_string.h"
#include "morvexa/color.h"
#include "morvexa/terminal_palette.h"
#include "morvexa/way_of_drawing.h"

namespace morvexa {

// A symbol as a program that shows art itself draws it: the picture of one
// cell, width x height pixels of coverage (0-255, row by row from the top
// left), the cell itself being cellWide x cellHigh pixels from that corner
// (an advance may end within a pixel).
struct DrawnCell {
  int width = 0, height = 0;
  double cellWide = 0, cellHigh = 0;
  std::vector<unsigned char> coverage;
};

// How a picture becomes art beyond one symbol per pixel. Left at their
// defaults they change nothing: one symbol per pixel, a symbol per color.
struct PictureOptions {
  // Columns and lines of the art; 0 for not given. With one given, the
  // other follows the picture's proportions corrected by aspect, the
  // width of a text cell over its height.
  std::size_t width = 0;
  std::size_t height = 0;
  double aspect = 0.5;
  // How the cells choose their symbols.
  WayOfDrawing way;
  // The colors the art is shown in: for a terminal of 256 or 16 colors,
  // the shapes of fill and the blocks choose each cell's ink and paper from
  // its palette, together, so that the cell keeps its look from afar.
  TerminalPalette palette;
  // The font the art will be read in, whose glyphs the symbols of --shapes
  // and the ramp's order are matched to: a font file, or a family
  // fontconfig finds ("monospace": the one it chooses), at pixels pixels an
  // em; empty for the built-in font (GNU Unifont). With fallBack, a font
  // that cannot be opened gives the built-in font's glyphs instead of
  // failing ("Cannot open font NAME").
  // Where the caller shows the art itself (the window), drawnBy draws a
  // symbol as it will be shown, or gives nothing for one the font lacks;
  // the glyphs are then measured from those cells (kept by font and
  // pixels), not from the font's file.
  struct GlyphsOf {
    std::string font;
    int pixels = 16;
    bool fallBack = false;
    std::function<std::optional<DrawnCell>(char32_t)> drawnBy;
  };
  GlyphsOf glyphs;

  // As many as there are printable ASCII symbols, one for each color.
  static constexpr int kMostColors = 95;
  static constexpr std::string_view kDefaultRamp = morvexa::kDefaultRamp;

  bool Sized() const { return width != 0 || height != 0; }
  // The samples of the picture each cell is seen as, and the pixels across
  // a cell covers when no size is given: the way's (SamplesOf,
  // PixelsAcross).
  CellSamples Samples() const { return SamplesOf(way); }
  int PixelsAcross() const { return morvexa::PixelsAcross(way); }
  // Whether the options ask for anything but one symbol per color of each
  // pixel.
  bool Plain() const;
  // Whether the art has a cell for each pixel and a line for each row of
  // pixels: no size given, and a way that draws a cell a pixel.
  bool CellPerPixel() const { return !Sized() && morvexa::CellPerPixel(way); }
};

// The columns and lines of the art of a width x height picture. Without a
// size, a cell covers PixelsAcross pixels across (one symbol a pixel and
// color: one), and the lines follow.
ArtSize FitArtSize(std::size_t width, std::size_t height, const PictureOptions& options);

// The options with which a width x height picture's art keeps its
// proportions: given no size, a way whose symbols stand for tones or shapes
// (the ramp, shapes, blocks) rather than for each pixel's color takes the
// columns FitArtSize gives it, so that its lines follow the picture
// corrected by aspect, as they do when a width is given. Any other options
// come back as they are: a cell per pixel stays so. (The window's art; the
// command line keeps a pixel a cell for the ramp.)
PictureOptions InProportion(PictureOptions options, std::size_t width, std::size_t height);

// The largest art of a width x height picture's proportions (corrected by
// aspect) that fits in columns x lines.
ArtSize FitArtWithin(std::size_t width, std::size_t height, std::size_t columns, std::size_t lines, double aspect);

}  // namespace morvexa
