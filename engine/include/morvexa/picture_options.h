#pragma once

#include <cstddef>
#include <optional>

#include "morvexa/byte_string.h"
#include "morvexa/color.h"

namespace morvexa {

// How a picture becomes art beyond one symbol per pixel. Left at their
// defaults they change nothing: one symbol per pixel, a symbol per color.
struct PictureOptions {
  // Columns and lines of the art; 0 for not given. With one given, the
  // other follows the picture's proportions corrected by aspect, the
  // width of a text cell over its height.
  std::size_t width = 0;
  std::size_t height = 0;
  double aspect = 0.5;
  // At most this many colors (2 to 95); 0: all of them, except that a
  // sized picture with more than 95 is reduced to 95.
  int colors = 0;
  bool dither = false;
  // Symbols from light to dark: each cell takes the one of its brightness
  // instead of one for its color. invert turns dark into light.
  std::optional<ByteString> ramp;
  bool invert = false;

  // As many as there are printable ASCII symbols, one for each color.
  static constexpr int kMostColors = 95;
  static constexpr std::string_view kDefaultRamp = " .:-=+*#%@";

  bool Sized() const { return width != 0 || height != 0; }
  // Whether the options ask for anything but one symbol per color of each
  // pixel.
  bool Plain() const { return !Sized() && colors == 0 && !ramp; }
};

// The columns and lines of the art of a width x height picture.
struct ArtSize {
  std::size_t columns = 0;
  std::size_t lines = 0;
};
ArtSize FitArtSize(std::size_t width, std::size_t height, const PictureOptions& options);

}  // namespace morvexa
