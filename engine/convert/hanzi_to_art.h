#pragma once

#include <cstddef>

#include "convert/hanzi_glyphs.h"
#include "convert/tone_levels.h"
#include "morvexa/art_sink.h"
#include "morvexa/char_list.h"
#include "pixels/picture_reader.h"

namespace morvexa {

// Turns a picture sampled 16 x 16 a cell into art of cells Chinese
// characters a line, each two columns wide: the character of glyphs whose
// patch of ink is nearest the cell's (NearestHanzi), the cell's tones
// asking, through the picture's levels, for ink from none to the densest
// glyph's (a cell of ink and paper alone, as a glyph is, keeps its ink as
// it is). Cells seen before are matched once. In the forms that show
// colors, each character is drawn in the cell's mean color on white paper.
// The sink and the list are cleared first; the list holds the characters
// in use in the order met.
void HanziToArt(PictureReader& samples, std::size_t cells, const ToneLevels& levels, const HanziGlyphs& glyphs,
                CharList& list, ArtSink& sink);

}  // namespace morvexa
