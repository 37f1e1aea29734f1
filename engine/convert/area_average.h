#pragma once

#include <memory>

#include "decode/picture_reader.h"

namespace morvexa {

// A picture made columns x lines in size, each of its pixels the area
// average of exactly the pixels of the picture it covers, partial pixels
// weighted by the share they cover (in exact integer arithmetic, rounded
// once). Read row by row from the picture: the picture's rows are read once
// each, in order, and nothing the size of the picture is held.
std::unique_ptr<PictureReader> AreaAverage(std::unique_ptr<PictureReader> picture, std::size_t columns,
                                           std::size_t lines);

}  // namespace morvexa
