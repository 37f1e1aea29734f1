#pragma once

#include "convert/tone_levels.h"
#include "decode/picture_reader.h"
#include "morvexa/art_sink.h"
#include "morvexa/char_list.h"
#include "morvexa/terminal_palette.h"

namespace morvexa {

// The samples a cell of shapes is seen as: the picture area-averaged to
// 8 x 16 samples a cell, a pixel of the built-in font's glyphs each.
inline constexpr int kShapeSamplesWide = 8, kShapeSamplesHigh = 16;

// Turns a picture sampled 8 x 16 a cell (see kShapeSamplesWide) into art
// of columns cells a line: each cell takes the printable ASCII symbol
// whose glyph in the built-in font, drawn over the cell, is most like it.
//  - Plainly, each glyph is drawn as dark ink on light paper (invert: light
//    ink on dark paper), and the cell's tones, through the picture's levels,
//    ask for ink from none to the densest glyph's. A glyph is matched by its
//    patch of ink seen from a reading distance (blurred by a pixel), so that
//    the art keeps the picture's tones as well as its edges, with a little
//    of their structural similarity; symbols terminal fonts draw too unlike
//    the built-in font are left out. The cell's ink is its mean color.
//  - With fill, likeness is the structural similarity (SSIM) of the cell's
//    lumas with the drawn glyph, in the cell's top and bottom halves, which
//    weighs the means, the contrasts and the way the two vary together, so
//    that edges and lines find "/", "\", "|", "_", "-" and the like; each
//    glyph is drawn in the ink and paper that fit the cell's samples best
//    (least squares, so that the cell keeps its mean color), its contrast
//    also tried stronger: the cell's ink and paper are those of the best
//    glyph, exactly the two colors of a cell drawn in one; for a terminal
//    of few colors (palette), of its palette, chosen together so that the
//    cell keeps its look from afar (PaletteInkAndPaper).
// The sink and the list are cleared first; the list holds the symbols in
// use in the order met. The colors each cell shows are its paper with its
// glyph's share of ink.
void ShapesToArt(PictureReader& samples, std::size_t columns, bool fill, bool invert, const ToneLevels& levels,
                 const TerminalPalette& palette, CharList& list, ArtSink& sink);

}  // namespace morvexa
