#pragma once

#include <cstddef>

#include "convert/hanzi_glyphs.h"
#include "convert/tone_levels.h"
#include "morvexa/art_sink.h"
#include "morvexa/char_list.h"
#include "morvexa/way_of_drawing.h"
#include "pixels/picture_reader.h"

namespace morvexa {

// Turns a picture sampled 16 x 16 a cell into art of cells Chinese
// characters a line, each two columns wide.
//  - Matched (way.text empty): the character of glyphs whose patch of ink
//    is nearest the cell's (NearestHanzi), the cell's tones asking, through
//    the picture's levels, for ink from none to the densest glyph's (a
//    cell of ink and paper alone, as a glyph is, keeps its ink as it is).
//    Cells seen before are matched once.
//  - Laid (way.text, see LaidText): the text's characters in reading
//    order, over again as needed. Where colors are not shown, a cell
//    lighter than the middle of the picture's levels is the full-width
//    space and the text goes on in the next darker cell, so the text takes
//    the picture's shape; where they are, every cell has its character.
// In the forms that show colors, each character is drawn on white paper
// (invert: black) in the ink that keeps its cell's mean color from afar (a
// laid one in the cell's mean color); with way.fill, in the ink and paper
// that fit the cell's pixels under and off its glyph (their means: least
// squares).
// glyphs are those of way.characters, or of way.text's characters.
// The sink and the list are cleared first; the list holds the characters
// in use in the order met.
void HanziToArt(PictureReader& samples, std::size_t cells, const ToneLevels& levels, const HanziGlyphs& glyphs,
                const Hanzi& way, CharList& list, ArtSink& sink);

}  // namespace morvexa
