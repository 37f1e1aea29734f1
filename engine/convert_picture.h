#pragma once

#include <memory>

#include "art_area.h"
#include "char_list.h"
#include "picture_options.h"
#include "picture_reader.h"

namespace morvexa {

// Turns the picture into art as the options say: sized to a number of
// columns and lines (area averages), its colors reduced (libimagequant), or
// drawn with a brightness ramp; with the options at their defaults, exactly
// as PictureToAsc. Art of more than 268,435,456 cells is refused
// (std::length_error) before anything is made.
void ConvertPicture(std::unique_ptr<PictureReader> picture, const PictureOptions& options, CharList& list,
                    ArtArea& area);

}  // namespace morvexa
