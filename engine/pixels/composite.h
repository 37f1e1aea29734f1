#pragma once

#include "morvexa/color.h"

namespace morvexa {

// The color of a pixel of partial alpha (0-255) laid over a background.
constexpr Rgb Composite(unsigned r, unsigned g, unsigned b, unsigned alpha, Rgb background) {
  auto mix = [alpha](unsigned over, unsigned under) { return (over * alpha + under * (255 - alpha) + 127) / 255; };
  return static_cast<Rgb>(mix(r, background >> 16 & 0xFF)) << 16 | mix(g, background >> 8 & 0xFF) << 8 |
         mix(b, background & 0xFF);
}

}  // namespace morvexa
