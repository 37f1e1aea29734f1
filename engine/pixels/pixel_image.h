#pragma once

#include <cstddef>
#include <memory>

#include "morvexa/color.h"

namespace morvexa {

// A decoded picture: width x height colors, the top row first, each row
// from the left. The pixels are not zeroed: whoever makes the picture
// writes every one.
struct PixelImage {
  std::size_t width = 0;
  std::size_t height = 0;
  std::unique_ptr<Rgb[]> pixels;

  PixelImage() = default;
  PixelImage(std::size_t w, std::size_t h)
      : width(w), height(h), pixels(std::make_unique_for_overwrite<Rgb[]>(w * h)) {}

  Rgb* Row(std::size_t y) { return pixels.get() + y * width; }
  const Rgb* Row(std::size_t y) const { return pixels.get() + y * width; }
};

}  // namespace morvexa
