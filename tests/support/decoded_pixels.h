#pragma once

// A picture file as the program decodes it: width, height and 0xRRGGBB
// pixels, top row first.
#include <filesystem>
#include <vector>

#include "bmp_decoder.h"

namespace morvexa::testing_support {

struct DecodedPixels {
  std::size_t width = 0, height = 0;
  std::vector<Rgb> pixels;
};

inline DecodedPixels DecodeFile(const std::filesystem::path& path) {
  const PixelImage image = DecodeBmpFile(path);
  return {image.width, image.height,
          std::vector<Rgb>(image.pixels.get(), image.pixels.get() + image.width * image.height)};
}

}  // namespace morvexa::testing_support
