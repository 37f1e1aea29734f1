#pragma once

#include "convert/tone_levels.h"
#include "morvexa/art_sink.h"
#include "morvexa/char_list.h"
#include "morvexa/terminal_palette.h"
#include "pixels/picture_reader.h"

namespace morvexa {

// Turns a picture sampled 8 x 16 a cell (kFitSamplesWide) into art of
// columns cells a line, of block elements fitted to each cell: the space,
// the half blocks, the quadrants and the lower and left eighths (with
// codePage936Only, those code page 936 holds), each sample a pixel of a
// terminal's 8 x 16 cell, so that an eighth is the two rows of pixels it
// draws.
//  - Where colors are shown, each cell is the shape and the two colors
//    CellFit finds for it: the shape whose ink follows its tones best, in
//    least squares ink and paper (of a terminal of 256 or 16 colors, its
//    palette's).
//  - Where none are, the elements are ink alone on paper: the cell's tones
//    through the picture's levels (from its 5th to its 95th percentile),
//    lifted toward light (a gamma of 0.7), ask for light ink (invert) or
//    dark, and the nearest element (the full block among them) is drawn,
//    its share of ink counting nearly as much as the cell's samples, so
//    that tones as well as edges come through.
// The sink and the list are cleared first; the list holds no entry (no
// element is one byte). The colors each cell shows are its paper with its
// element's share of ink.
void FineBlocksToArt(PictureReader& samples, std::size_t columns, bool codePage936Only, bool invert,
                     const ToneLevels& levels, const TerminalPalette& palette, CharList& list, ArtSink& sink);

}  // namespace morvexa
