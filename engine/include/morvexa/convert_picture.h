#pragma once

#include "morvexa/art_sink.h"
#include "morvexa/char_list.h"
#include "morvexa/picture.h"
#include "morvexa/picture_options.h"

namespace morvexa {

// Turns the picture into art as the options say: sized to a number of
// columns and lines (area averages), its colors reduced (libimagequant), or
// drawn with a brightness ramp; with the options at their defaults, one
// line per pixel row and one symbol per color, each distinct color a
// printable ASCII symbol in the order colors are first met (the top-left
// one a space, the 95th and later "!"). Clears the sink and the symbol list
// first, and writes each line the moment it is complete; a failure of the
// picture (a file that ends early) propagates, leaving the lines already
// written. Art of more than 268,435,456 cells is refused
// (ArtTooLarge) before anything is made.
void ConvertPicture(Picture picture, const PictureOptions& options, CharList& list, ArtSink& sink);

}  // namespace morvexa
