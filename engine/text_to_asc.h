#pragma once

#include "art_area.h"
#include "byte_string.h"
#include "char_list.h"
#include "glyph_font.h"
#include "text_symbols.h"

namespace morvexa {

// clang-format off
enum class [[nodiscard]] TextToAscResult { Done, EmptyText, NotChinese };
// clang-format on

// The colors that the cells of text art keep, for an area that keeps them.
struct TextColors {
  Rgb ink = 0x000000;
  Rgb blank = 0xFFFFFF;
};

// Draws text, a string of double-byte characters, as 16 lines of art: each
// inked pixel of each glyph becomes the foreground symbol, each blank one
// the background symbol (the first two bytes of each box's text).
//
// EmptyText and NotChinese change nothing. Otherwise the symbol list is
// rebuilt from the one-byte symbols, the area is cleared, the font built
// into the program opened and the lines written; a font failure propagates after that, leaving the
// new symbol list and whatever lines were written (none: every row visits
// every character).
TextToAscResult TextToAsc(ByteStringView text, ByteStringView foreText, ByteStringView backText, CharList& list,
                          ArtArea& area, const TextColors& colors = {});

}  // namespace morvexa
