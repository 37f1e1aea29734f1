#pragma once

#include "convert/symbol_glyphs.h"
#include "convert/tone_levels.h"
#include "morvexa/art_sink.h"
#include "morvexa/char_list.h"
#include "morvexa/terminal_palette.h"
#include "morvexa/way_of_drawing.h"
#include "pixels/picture_reader.h"

namespace morvexa {

// Turns a picture sampled 8 x 16 a cell (Shapes::kSamples) into art
// of columns cells a line: each cell takes the printable ASCII symbol
// whose glyph in glyphs' font (the built-in one, or a font the art will be
// read in), drawn over the cell, is most like it.
//  - Plainly, each glyph is drawn as dark ink on light paper (invert: light
//    ink on dark paper), and the cell's tones, through the picture's levels,
//    ask for ink from none to the densest glyph's. A glyph is matched by its
//    patch of ink seen from a reading distance (blurred by a pixel), so that
//    the art keeps the picture's tones as well as its edges, with a little
//    of their structural similarity; symbols terminal fonts draw too unlike
//    the built-in font are left out (of another font, those it does not
//    draw). The cell's ink is its mean color.
//  - With fill, each cell is fitted with the glyphs as CellFit fits it:
//    the glyph whose ink follows the cell's tones best, drawn in the ink
//    and paper that fit its pixels by least squares (so the cell keeps its
//    mean color, and a smooth cell gets close colors or plain paper, never
//    contrast the picture lacks: a letter shows only where it draws the
//    picture); for a terminal of few colors (palette), of its palette.
// The sink and the list are cleared first; the list holds the symbols in
// use in the order met. The colors each cell shows are its paper with its
// glyph's share of ink.
void ShapesToArt(PictureReader& samples, std::size_t columns, bool fill, bool invert, const ToneLevels& levels,
                 const TerminalPalette& palette, const SymbolGlyphs& glyphs, CharList& list, ArtSink& sink);

}  // namespace morvexa
