#pragma once

#include <cstdint>

#include "morvexa/color.h"

namespace morvexa {

// How pictures are read, whatever their format.
struct ReadSettings {
  // A picture of more pixels than this, or with a side of more than
  // kMaxSide, is refused (PictureTooLarge), checked before anything is
  // decoded; after the check that its data can hold it, where there is one,
  // so that a file that merely claims a huge picture stays "not valid".
  std::uint64_t maxPixels = std::uint64_t{1} << 28;
  static constexpr std::uint64_t kMaxSide = std::uint64_t{1} << 20;
  // What transparent pixels are laid over.
  Rgb background = 0xFFFFFF;
  // Whether a file or stream of no bytes is a picture of 0 x 0 pixels (as
  // the window takes it) or refused as no picture, "Bitmap image is not
  // valid" with the reason "It is empty".
  bool emptyIsAPicture = true;

  // Whether a picture of width x height pixels is within the limits.
  bool Allows(std::uint64_t width, std::uint64_t height) const {
    return width <= kMaxSide && height <= kMaxSide && width * height <= maxPixels;
  }
  // Refuses a picture of width x height pixels beyond the limits
  // (PictureTooLarge), and an empty one ("Bitmap image is not valid").
  void CheckSize(std::uint64_t width, std::uint64_t height) const;
};

}  // namespace morvexa
