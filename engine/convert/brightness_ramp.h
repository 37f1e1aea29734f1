#pragma once

#include "convert/symbol_glyphs.h"
#include "convert/tone_levels.h"
#include "morvexa/art_sink.h"
#include "morvexa/byte_string.h"
#include "morvexa/char_list.h"
#include "pixels/picture_reader.h"

namespace morvexa {

// The brightness of a color, 0 (black) to 255 (white): its luma by the
// weights of Rec. 709, on the color's own values.
constexpr unsigned Brightness(Rgb c) {
  return ((c >> 16 & 0xFF) * 2126 + (c >> 8 & 0xFF) * 7152 + (c & 0xFF) * 722 + 5000) / 10000;
}

// The gray that ramp symbol index of count shows: white for the first
// (lightest), black for the last.
constexpr Rgb RampShade(std::size_t index, std::size_t count) {
  const auto level = static_cast<Rgb>(255 - index * 255 / (count > 1 ? count - 1 : 1));
  return level * 0x010101;
}

// Turns the picture into art with one symbol of ramp per pixel, by its
// brightness through the picture's levels: ramp runs from light to dark
// (with invert, from dark to light: light ink on a dark background), each
// symbol taking an equal share of the ink levels give the brightness. The
// area and the symbol list are cleared first; the list then holds the
// symbols in use, in the order first met (AddIfAbsent). The cells' own
// colors are their pixels' (with fill, shown as an ink and a paper,
// FillCell, by the share of ink of each symbol's glyph); the colors they
// show, their symbols' grays (RampShade).
void RampToAsc(PictureReader& picture, ByteStringView ramp, bool invert, const ToneLevels& levels, CharList& list,
               ArtSink& sink, bool fill = false, const SymbolGlyphs& glyphs = SymbolGlyphs::Get());

}  // namespace morvexa
