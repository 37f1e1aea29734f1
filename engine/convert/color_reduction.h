#pragma once

#include <cstddef>
#include <memory>

#include "convert/pixel_rows.h"
#include "pixels/picture_reader.h"

namespace morvexa {

// The picture's colors reduced to at most colors (2 to 256) by
// libimagequant, with its error diffusion when dither: palette indices, one
// byte a pixel. libimagequant asks for the picture's rows as it needs them,
// in each of its passes. A picture of fewer than kOneThreadPixels, or one
// not held whole (read again for each pass), is reduced on the calling
// thread alone, unless allThreads (for comparison, of a whole picture).
inline constexpr std::size_t kOneThreadPixels = std::size_t{1} << 18;
std::unique_ptr<PictureReader> ReduceColors(PixelRows& picture, int colors, bool dither, bool allThreads = false);

// How many distinct colors the picture has, counted up to limit + 1.
std::size_t CountColors(const PixelImage& picture, std::size_t limit);
// The same for a picture read row by row, as far as it takes.
std::size_t CountColors(PictureReader& picture, std::size_t limit);

}  // namespace morvexa
