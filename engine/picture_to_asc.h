#pragma once

#include "art_area.h"
#include "char_list.h"
#include "pixel_image.h"

namespace morvexa {

// Turns the picture into art, one line per pixel row from the top and one
// byte per pixel: each distinct color gets a printable ASCII symbol, in the
// order in which colors are first met (the top-left one draws as a space).
// Clears the area and the symbol list first, and writes each line the
// moment it is complete.
void PictureToAsc(const PixelImage& image, CharList& list, ArtArea& area);

}  // namespace morvexa
