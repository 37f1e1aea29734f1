#pragma once

#include <algorithm>

#include "morvexa/color.h"

namespace morvexa {

// The luma of a color, 0-1, as the eye weighs the channels (Rec. 709).
inline float Luma(Rgb color) {
  return (0.2126f * static_cast<float>(color >> 16 & 0xFF) + 0.7152f * static_cast<float>(color >> 8 & 0xFF) +
          0.0722f * static_cast<float>(color & 0xFF)) /
         255.0f;
}

// The color a cell shows from afar: its paper with share (0-1) of it
// covered by its ink.
inline Rgb Blend(Rgb paper, Rgb ink, double share) {
  Rgb out = 0;
  for (int shift = 16; shift >= 0; shift -= 8) {
    const double p = paper >> shift & 0xFF, i = ink >> shift & 0xFF;
    out |= static_cast<Rgb>(p + (i - p) * share + 0.5) << shift;
  }
  return out;
}

// A cell of color drawn with a symbol whose ink covers share (0-1) of it,
// as fill draws it: the ink a shade of the color that stands out (0.3 of
// the way to black on a light color, to white on a dark one, or less where
// a dense symbol leaves the paper no room for more), the paper what keeps
// the cell's color from afar.
struct InkAndPaper {
  Rgb ink, paper;
};
inline InkAndPaper FillCell(Rgb color, double share) {
  constexpr double kContrast = 0.3;
  const bool light = Luma(color) >= 0.5f;
  Rgb ink = 0, paper = 0;
  for (int shift = 16; shift >= 0; shift -= 8) {
    const double m = color >> shift & 0xFF;
    double i = light ? m * (1 - kContrast) : m + (255 - m) * kContrast;
    // The paper (m - share i) / (1 - share) must be a color: ink no
    // further from m than that allows.
    if (share > 0 && share < 1) i = std::clamp(i, (m - 255 * (1 - share)) / share, m / share);
    const double p = share < 1 ? std::clamp((m - share * i) / (1 - share), 0.0, 255.0) : m;
    ink |= static_cast<Rgb>(i + 0.5) << shift;
    paper |= static_cast<Rgb>(p + 0.5) << shift;
  }
  return {ink, paper};
}

}  // namespace morvexa
