#pragma once

#include <cstddef>

#include "morvexa/byte_string.h"
#include "morvexa/char_list.h"
#include "morvexa/text_to_asc.h"

namespace morvexa {

// The symbols that text art draws its pixels with.
struct TextSymbols {
  ByteString ink;
  ByteString blank;
  // Each inked pixel is drawn with the bytes of the character it belongs
  // to instead of ink.
  bool selfCharacter = false;
};

// A symbol shorter than width is joined with itself and cut to two bytes,
// so that both symbols take the same number of bytes per pixel. An empty
// symbol stays empty.
ByteString WidenSymbol(ByteStringView symbol, std::size_t width);

// The symbols of the foreground and background texts, as the boxes give
// them: the first two bytes of each, the shorter widened to the longer; the
// foreground kSelfCharacter draws each character with itself.
TextSymbols MakeTextSymbols(ByteStringView foreText, ByteStringView backText);

// Rebuilds the symbol list of text art from the foreground and background
// texts: each that is a one-byte symbol (one byte, not a lead byte), in
// that order.
void ListTextSymbols(ByteStringView foreText, ByteStringView backText, CharList& list);

}  // namespace morvexa
