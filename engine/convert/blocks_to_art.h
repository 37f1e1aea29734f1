#pragma once

#include "morvexa/art_sink.h"
#include "morvexa/char_list.h"
#include "morvexa/picture_options.h"
#include "pixels/picture_reader.h"

namespace morvexa {

// Turns a picture sampled as Blocks{blocks}.Samples() says into art of columns
// cells a line, of block elements: each cell is split in the two colors
// that leave the least squared error among the splits its kind can draw,
// and drawn with the element of that split, ink in one color and paper in
// the other:
//  - Quadrants: the space, the half blocks, the quadrants and the full
//    block (every split of the four quarters), and the lower and left
//    eighths (8 x 8 samples);
//  - CodePage936: those code page 936 holds: the lower and left eighths
//    (the halves among them) and the full block (8 x 8 samples);
//  - Braille: the 2 x 4 dots of braille patterns (2 x 4 samples, every
//    split of the eight dots).
// The ink is the darker color (invert: the lighter) where the set holds
// the element of the other samples too (else either). Where no color is
// shown, the elements are black ink on white paper (invert: white on
// black), inked where the cell is darker than mid-gray (invert: lighter).
// A cell of one color is a space on it. For a terminal of few colors
// (palette), the ink and paper are of its palette, chosen together so that
// the cell keeps its look from afar (PaletteInkAndPaper). The sink and the
// list are cleared first; the list holds no entry (no element is one
// byte). The colors each cell shows are its paper with its element's share
// of ink.
void BlocksToArt(PictureReader& samples, std::size_t columns, BlockKind blocks, bool invert,
                 const TerminalPalette& palette, CharList& list, ArtSink& sink);

}  // namespace morvexa
