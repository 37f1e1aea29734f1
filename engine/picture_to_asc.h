#pragma once

#include "art_area.h"
#include "char_list.h"
#include "picture_reader.h"

namespace morvexa {

// Turns the picture into art, one line per pixel row from the top and one
// byte per pixel: each distinct color gets a printable ASCII symbol, in the
// order in which colors are first met (the top-left one draws as a space;
// from the 95th on every new color draws as "!"). Clears the area and the
// symbol list first, and writes each line the moment it is complete. A
// failure of the reader (a file that ends early) propagates, leaving the
// lines already written.
void PictureToAsc(PictureReader& picture, CharList& list, ArtArea& area);
// The same, the cells taking their colors from cellColors (of the picture's
// size) rather than from the picture's own pixels: a picture whose colors
// were reduced keeps those it had.
void PictureToAsc(PictureReader& picture, CharList& list, ArtArea& area, const PixelImage* cellColors);

}  // namespace morvexa
