#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>

#include "morvexa/byte_string.h"
#include "morvexa/char_list.h"
#include "morvexa/text_to_asc.h"

namespace morvexa {

// The symbols that text art draws its pixels with.
struct TextSymbols {
  ByteString ink;
  ByteString blank;
  // Each inked pixel is drawn with the bytes of the character it belongs
  // to instead of ink (see Self).
  bool selfCharacter = false;
  // The columns a pixel's symbol takes on the screen, where that is not its
  // bytes (the forms of Unicode, see MakeDisplaySymbols); 0: its bytes.
  std::size_t columns = 0;

  // The ink of a pixel of the character c, with selfCharacter: c's own bytes
  // widened as the symbols were (its bytes in code page 936, or "?" for a
  // character it cannot hold, widened to blank's bytes; or, with columns,
  // c repeated to take that many columns on the screen).
  ByteString Self(char32_t c) const;
  // The columns a pixel takes: columns, or its bytes.
  std::size_t PixelColumns() const { return columns != 0 ? columns : std::max(ink.size(), blank.size()); }
};

// The columns a character takes on a terminal by the locale's rules
// (wcwidth; where the locale is not one of UTF-8, C.UTF-8's): 1 or 2, 0 for
// one of no width, -1 for one that cannot be shown.
int ColumnsOf(char32_t c);

// A symbol shorter than width is joined with itself and cut to two bytes,
// so that both symbols take the same number of bytes per pixel. An empty
// symbol stays empty.
ByteString WidenSymbol(ByteStringView symbol, std::size_t width);

// The symbols of the foreground and background texts, as the boxes give
// them: the first two bytes of each, the shorter widened to the longer; the
// foreground kSelfCharacter draws each character with itself.
TextSymbols MakeTextSymbols(ByteStringView foreText, ByteStringView backText);

// The symbols for art shown in a form of Unicode (UTF-8 on a terminal, a
// page), where lines line up by the columns their symbols take on the
// screen rather than by their bytes: each symbol is the first characters of
// its text that fit in two columns, the narrower joined with itself until
// it is as wide as the wider. Their bytes are as art holds them (code page
// 936, or GB18030's four bytes for characters it cannot hold). Nothing when
// a text starts with a character of no width or one that cannot be shown.
std::optional<TextSymbols> MakeDisplaySymbols(std::u32string_view foreText, std::u32string_view backText);

// Rebuilds the symbol list of text art from the foreground and background
// texts: each that is a one-byte symbol (one byte, not a lead byte), in
// that order.
void ListTextSymbols(ByteStringView foreText, ByteStringView backText, CharList& list);

}  // namespace morvexa
