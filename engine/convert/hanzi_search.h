#pragma once

#include <cstddef>

#include "convert/hanzi_glyphs.h"

namespace morvexa {

// The glyph whose patch is nearest a cell's (least squared distance), the
// first of the glyphs on a tie.
//  - NearestHanzi does not measure every glyph. A patch is its 4 x 4
//    blocks' means plus what is left (its residue), the two at right
//    angles, so a glyph's distance is at least the distance of its block
//    means from the cell's (each block's sum's difference squared over its
//    pixels) plus the difference of the norms of their residues squared;
//    the glyph of least bound is measured first, and
//    only the glyphs whose bound is within the distance found are measured
//    after it, the least bound first, until the bound passes the best.
//  - NearestHanziMeasuringAll measures every glyph: the same choice, slower.
std::size_t NearestHanzi(const HanziGlyphs& glyphs, const HanziGlyphs::Patch& cell);
std::size_t NearestHanziMeasuringAll(const HanziGlyphs& glyphs, const HanziGlyphs::Patch& cell);

// The squared distance of two patches, summed in one order by both.
float PatchDistance(const HanziGlyphs::Patch& a, const HanziGlyphs::Patch& b);

}  // namespace morvexa
