#include "morvexa/terminal_palette.h"

#include <algorithm>
#include <array>

namespace morvexa {

namespace {

// The levels of each channel of the 6 x 6 x 6 cube.
constexpr std::array<unsigned, 6> kLevels = {0, 95, 135, 175, 215, 255};

constexpr std::array<Rgb, 256> TwoHundredFiftySix() {
  std::array<Rgb, 256> colors{};
  for (std::size_t i = 0; i < 16; ++i) colors[i] = kXtermSixteen[i];
  for (std::size_t i = 0; i < 216; ++i) {
    colors[16 + i] = static_cast<Rgb>(kLevels[i / 36]) << 16 | static_cast<Rgb>(kLevels[i / 6 % 6]) << 8 |
                     static_cast<Rgb>(kLevels[i % 6]);
  }
  for (std::size_t i = 0; i < 24; ++i) colors[232 + i] = static_cast<Rgb>(8 + 10 * i) * 0x010101;
  return colors;
}
constexpr std::array<Rgb, 256> kTwoHundredFiftySix = TwoHundredFiftySix();

}  // namespace

std::span<const Rgb> PaletteColors(const TerminalPalette& palette) {
  switch (palette.colors) {
    case TerminalColors::TrueColor: break;
    case TerminalColors::Palette256: return kTwoHundredFiftySix;
    case TerminalColors::Palette16: return palette.sixteen;
  }
  return {};
}

int NearestPalette16(Rgb color, const SixteenColors& colors) {
  int best = 0;
  int bestDistance = 1 << 30;
  for (int i = 0; i < 16; ++i) {
    const int dr = static_cast<int>(color >> 16 & 0xFF) - static_cast<int>(colors[i] >> 16 & 0xFF);
    const int dg = static_cast<int>(color >> 8 & 0xFF) - static_cast<int>(colors[i] >> 8 & 0xFF);
    const int db = static_cast<int>(color & 0xFF) - static_cast<int>(colors[i] & 0xFF);
    // Weighted toward the eye's sense of difference.
    const int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
    if (distance < bestDistance) best = i, bestDistance = distance;
  }
  return best;
}

int NearestPalette256(Rgb color) {
  const unsigned r = color >> 16 & 0xFF, g = color >> 8 & 0xFF, b = color & 0xFF;
  auto nearestLevel = [](unsigned v) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < kLevels.size(); ++i) {
      if ((v > kLevels[i] ? v - kLevels[i] : kLevels[i] - v) <
          (v > kLevels[best] ? v - kLevels[best] : kLevels[best] - v))
        best = i;
    }
    return best;
  };
  auto distance = [&](unsigned cr, unsigned cg, unsigned cb) {
    const int dr = static_cast<int>(r) - static_cast<int>(cr), dg = static_cast<int>(g) - static_cast<int>(cg),
              db = static_cast<int>(b) - static_cast<int>(cb);
    return dr * dr + dg * dg + db * db;
  };
  const std::size_t ri = nearestLevel(r), gi = nearestLevel(g), bi = nearestLevel(b);
  const int cube = static_cast<int>(16 + 36 * ri + 6 * gi + bi);
  const int cubeDistance = distance(kLevels[ri], kLevels[gi], kLevels[bi]);
  // The 24 grays from 8 to 238 in steps of 10.
  const unsigned mean = (r + g + b) / 3;
  const unsigned grayIndex = mean < 8 ? 0 : std::min(23u, (mean - 8 + 5) / 10);
  const unsigned gray = 8 + 10 * grayIndex;
  return distance(gray, gray, gray) < cubeDistance ? static_cast<int>(232 + grayIndex) : cube;
}

}  // namespace morvexa
