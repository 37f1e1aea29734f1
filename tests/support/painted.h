#pragma once

// Pictures painted by a rule, pixel by pixel, for the engine's tests.
#include <functional>
#include <memory>

#include "pixels/picture_reader.h"

namespace morvexa::testing_support {

inline std::unique_ptr<PictureReader> Painted(std::size_t w, std::size_t h,
                                              const std::function<Rgb(std::size_t, std::size_t)>& color) {
  PixelImage image(w, h);
  for (std::size_t y = 0; y < h; ++y) {
    for (std::size_t x = 0; x < w; ++x) image.Row(y)[x] = color(x, y);
  }
  return std::make_unique<MemoryPicture>(std::move(image));
}

}  // namespace morvexa::testing_support
