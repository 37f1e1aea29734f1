#pragma once

// A picture as the program reads it: width, height and 0xRRGGBB pixels,
// top row first.
#include <filesystem>
#include <span>
#include <vector>

#include "decode/bmp_reader.h"
#include "decode/open_picture.h"

namespace morvexa::testing_support {

struct DecodedPixels {
  std::size_t width = 0, height = 0;
  std::vector<Rgb> pixels;
};

inline DecodedPixels ReadAllPixels(PictureReader& reader) {
  const PixelImage image = ReadWhole(reader);
  return {image.width, image.height,
          std::vector<Rgb>(image.pixels.get(), image.pixels.get() + image.width * image.height)};
}

inline DecodedPixels DecodeFile(const std::filesystem::path& path) { return ReadAllPixels(*OpenPicture(path)); }

inline DecodedPixels DecodeBmp(std::span<const unsigned char> bytes, const ReadSettings& settings = {}) {
  return ReadAllPixels(*ReadBmp(FileBytes::FromMemory(std::string(bytes.begin(), bytes.end())), settings));
}

}  // namespace morvexa::testing_support
