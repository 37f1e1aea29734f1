#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace morvexa {

// A colour as 0xRRGGBB.
using Rgb = std::uint32_t;

// A decoded picture: width x height colours, the top row first, each row
// from the left.
struct PixelImage {
  std::size_t width = 0;
  std::size_t height = 0;
  std::vector<Rgb> pixels;

  Rgb At(std::size_t x, std::size_t y) const { return pixels[y * width + x]; }
  const Rgb* Row(std::size_t y) const { return pixels.data() + y * width; }
};

}  // namespace morvexa
