#pragma once

#include <vector>

#include "morvexa/art_sink.h"
#include "morvexa/byte_string.h"
#include "morvexa/char_list.h"

namespace morvexa {

// clang-format off
enum class [[nodiscard]] TextToAscResult { Done, EmptyText, NotChinese };
// clang-format on

// The colors that the cells of text art keep, for an area that keeps them.
struct TextColors {
  Rgb ink = 0x000000;
  Rgb blank = 0xFFFFFF;
};

// The foreground text that draws every character with the character itself.
inline constexpr ByteStringView kSelfCharacter = "\xD7\xD6";  // 字

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
                          ArtSink& area, const TextColors& colors = {});

// A character of text that the built-in font draws with another
// character's glyph: outside the font's own table (GB2312), its code reaches
// a glyph of the table all the same.
struct BorrowedGlyph {
  ByteString character;
  ByteString drawn;  // the character whose glyph is drawn
};
// Those of text's double-byte characters, in order.
std::vector<BorrowedGlyph> BorrowedGlyphs(ByteStringView text);

}  // namespace morvexa
