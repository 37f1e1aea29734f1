#pragma once

// ImageMagick as an independent encoder and decoder of test pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "files.h"
#include "pixels/pixel_image.h"

namespace morvexa::testing_support {

inline bool HaveImageMagick() { return std::system("convert -version >/dev/null 2>&1") == 0; }

// Runs `convert ARGS`; true when it succeeded.
inline bool Convert(const std::string& args) { return std::system(("convert " + args + " 2>/dev/null").c_str()) == 0; }

// ImageMagick's own decoding of a file, as 0xRRGGBB pixels top row first
// (alpha dropped); empty when it cannot read the file.
inline std::vector<Rgb> ImageMagickPixels(const std::filesystem::path& file, const std::filesystem::path& scratch) {
  const std::filesystem::path raw = scratch / "imagemagick.rgb";
  if (!Convert("'" + file.string() + "[0]' -depth 8 rgb:'" + raw.string() + "'")) return {};
  const std::string bytes = ReadFile(raw);
  std::vector<Rgb> pixels;
  for (std::size_t i = 0; i + 3 <= bytes.size(); i += 3) {
    pixels.push_back(static_cast<Rgb>(static_cast<unsigned char>(bytes[i])) << 16 |
                     static_cast<Rgb>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                     static_cast<unsigned char>(bytes[i + 2]));
  }
  return pixels;
}

}  // namespace morvexa::testing_support
