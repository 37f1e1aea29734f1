#pragma once

#include "art_area.h"
#include "char_list.h"
#include "color_table.h"
#include "pixel_image.h"

namespace morvexa {

// Numbers a colour the table has not met, lists its symbol unless its number
// is past 94 ("!" is listed by then), and returns the symbol.
unsigned char AddColour(Rgb c, ColorTable& table, CharList& list);

// The one-byte symbol of colour c: its symbol in the table, or, for a new
// colour, the symbol of the next number, which is then added to the symbol
// list with AddIfAbsent.
inline unsigned char ColorToChar(Rgb c, ColorTable& table, CharList& list) {
  if (const unsigned char symbol = table.Find(c)) return symbol;
  return AddColour(c, table, list);
}

// Turns the picture into art, one line per pixel row from the top and one
// byte per pixel: each distinct colour gets a printable ASCII symbol, in the
// order in which colours are first met (the top-left one draws as a space).
// Clears the area and the symbol list first, and writes each line the
// moment it is complete.
void PictureToAsc(const PixelImage& image, CharList& list, ArtArea& area);

}  // namespace morvexa
