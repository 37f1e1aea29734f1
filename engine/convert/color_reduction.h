#pragma once

#include <cstddef>
#include <memory>

#include "decode/picture_reader.h"

namespace morvexa {

// The picture's colors reduced to at most colors (2 to 256) by
// libimagequant, with its error diffusion when dither: palette indices, one
// byte a pixel. A picture of fewer than kOneThreadPixels is reduced on the
// calling thread alone, unless allThreads (for comparison).
inline constexpr std::size_t kOneThreadPixels = std::size_t{1} << 18;
std::unique_ptr<PictureReader> ReduceColors(const PixelImage& picture, int colors, bool dither,
                                            bool allThreads = false);

// How many distinct colors the picture has, counted up to limit + 1.
std::size_t CountColors(const PixelImage& picture, std::size_t limit);

}  // namespace morvexa
