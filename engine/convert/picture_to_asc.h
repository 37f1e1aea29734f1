#pragma once

#include "convert/pixel_rows.h"
#include "morvexa/art_sink.h"
#include "morvexa/char_list.h"
#include "pixels/picture_reader.h"

namespace morvexa {

// Turns the picture into art, one line per pixel row from the top and one
// byte per pixel: each distinct color gets a printable ASCII symbol, in the
// order in which colors are first met (the top-left one draws as a space;
// from the 95th on every new color draws as "!"). Clears the sink and the
// symbol list first, and writes each line the moment it is complete. A
// failure of the reader (a file that ends early) propagates, leaving the
// lines already written.
//
// The cells' own colors are their pixels', or, when cellColors (of the
// picture's size, read in order) is given, those: a picture whose colors
// were reduced keeps the colors it had. The colors the cells show are their pixels'.
// With fill, a cell's own color is shown as an ink that stands out on a
// paper, which keep it from afar (FillCell).
void PictureToAsc(PictureReader& picture, CharList& list, ArtSink& sink, PixelRows* cellColors = nullptr,
                  bool fill = false);

}  // namespace morvexa
