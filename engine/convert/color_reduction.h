#pragma once

#include <cstddef>
#include <memory>

#include "decode/picture_reader.h"

namespace morvexa {

// The picture's colors reduced to at most colors (2 to 256) by
// libimagequant, with its error diffusion when dither: palette indices, one
// byte a pixel.
std::unique_ptr<PictureReader> ReduceColors(const PixelImage& picture, int colors, bool dither);

// How many distinct colors the picture has, counted up to limit + 1.
std::size_t CountColors(const PixelImage& picture, std::size_t limit);

}  // namespace morvexa
