#pragma once

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace morvexa {

// How much of each of wide x high samples of a text cell, cellWide x
// cellHigh pixels, a glyph's picture covers, 0-1, into out (row by row): the
// picture width x height pixels with its top left at (left, top) in the
// cell, coverageAt(x, y) giving each pixel's coverage 0-1. Each pixel adds
// its coverage to the samples it overlaps, by the overlap; what lies
// outside the cell is cut off.
template <typename CoverageAt>
void CoverCell(double left, double top, int width, int height, CoverageAt coverageAt, double cellWide, double cellHigh,
               int wide, int high, float* out) {
  std::fill(out, out + wide * high, 0.0f);
  const double sampleWide = cellWide / wide, sampleHigh = cellHigh / high;
  // The overlaps of [from, from + 1) with each of count spans of width span
  // from 0 on, by span.
  const auto spread = [](double from, double span, int count, std::vector<std::pair<int, double>>& weights) {
    weights.clear();
    const int first = static_cast<int>(std::floor(from / span));
    for (int k = std::max(first, 0); k < count && k * span < from + 1; ++k) {
      const double overlap = std::min(from + 1, (k + 1) * span) - std::max(from, k * span);
      if (overlap > 0) weights.emplace_back(k, overlap);
    }
  };
  std::vector<std::pair<int, double>> across, down;
  for (int y = 0; y < height; ++y) {
    spread(top + y, sampleHigh, high, down);
    if (down.empty()) continue;
    for (int x = 0; x < width; ++x) {
      const double cover = coverageAt(x, y);
      if (cover == 0) continue;
      spread(left + x, sampleWide, wide, across);
      for (const auto& [sy, wy] : down) {
        for (const auto& [sx, wx] : across) out[sy * wide + sx] += static_cast<float>(cover * wx * wy);
      }
    }
  }
  const auto area = static_cast<float>(sampleWide * sampleHigh);
  for (int i = 0; i < wide * high; ++i) out[i] = std::min(out[i] / area, 1.0f);
}

}  // namespace morvexa
