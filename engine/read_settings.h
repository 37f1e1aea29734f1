#pragma once

#include <cstdint>

#include "pixel_image.h"

namespace morvexa {

// How pictures are read, whatever their format.
struct ReadSettings {
  // More pixels than this, or a side of more than kMaxSide, is "Bitmap
  // image is not valid", checked before anything is decoded.
  std::uint64_t maxPixels = std::uint64_t{1} << 28;
  static constexpr std::uint64_t kMaxSide = std::uint64_t{1} << 20;
  // What transparent pixels are laid over.
  Rgb background = 0xFFFFFF;

  // Fails with "Bitmap image is not valid" unless a picture of width x
  // height pixels is within the limits (and not empty).
  void CheckSize(std::uint64_t width, std::uint64_t height) const;
};

// The color of a pixel of partial alpha (0-255) laid over a background.
constexpr Rgb Composite(unsigned r, unsigned g, unsigned b, unsigned alpha, Rgb background) {
  auto mix = [alpha](unsigned over, unsigned under) { return (over * alpha + under * (255 - alpha) + 127) / 255; };
  return static_cast<Rgb>(mix(r, background >> 16 & 0xFF)) << 16 | mix(g, background >> 8 & 0xFF) << 8 |
         mix(b, background & 0xFF);
}

}  // namespace morvexa
