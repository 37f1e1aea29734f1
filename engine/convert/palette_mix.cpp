#include "convert/palette_mix.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace morvexa {

namespace {

// How much the cell's look from afar weighs, in samples: as much as all of
// them.
constexpr double kLookWeight = 16.0;

using Channels = std::array<double, 3>;

Channels ChannelsOf(Rgb color) {
  return {static_cast<double>(color >> 16 & 0xFF), static_cast<double>(color >> 8 & 0xFF),
          static_cast<double>(color & 0xFF)};
}

double Dot(const Channels& a, const Channels& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

}  // namespace

void PaletteAround(Rgb color, const TerminalPalette& palette, std::vector<Rgb>& out) {
  const std::span<const Rgb> colors = PaletteColors(palette);
  if (palette.colors == TerminalColors::Palette16) {
    // The six nearest.
    std::array<std::pair<double, Rgb>, 16> byDistance{};
    const Channels c = ChannelsOf(color);
    for (std::size_t i = 0; i < colors.size(); ++i) {
      const Channels d = ChannelsOf(colors[i]);
      byDistance[i] = {(d[0] - c[0]) * (d[0] - c[0]) + (d[1] - c[1]) * (d[1] - c[1]) + (d[2] - c[2]) * (d[2] - c[2]),
                       colors[i]};
    }
    std::partial_sort(byDistance.begin(), byDistance.begin() + 6, byDistance.end());
    for (std::size_t i = 0; i < 6; ++i) out.push_back(byDistance[i].second);
    return;
  }
  static constexpr std::array<int, 6> kLevels = {0, 95, 135, 175, 215, 255};
  std::array<std::array<int, 2>, 3> near{};
  for (int c = 0; c < 3; ++c) {
    const int v = static_cast<int>(color >> (16 - 8 * c) & 0xFF);
    int below = 0;
    while (below + 1 < 5 && kLevels[static_cast<std::size_t>(below + 1)] <= v) ++below;
    near[static_cast<std::size_t>(c)] = {below, std::min(below + 1, 5)};
  }
  for (const int r : near[0]) {
    for (const int g : near[1]) {
      for (const int b : near[2]) out.push_back(colors[static_cast<std::size_t>(16 + 36 * r + 6 * g + b)]);
    }
  }
  const int mean = static_cast<int>(((color >> 16 & 0xFF) + (color >> 8 & 0xFF) + (color & 0xFF)) / 3);
  const int gray = std::clamp((mean - 8) / 10, 0, 22);
  out.push_back(colors[static_cast<std::size_t>(232 + gray)]);
  out.push_back(colors[static_cast<std::size_t>(233 + gray)]);
}

namespace {

// The palette's color nearest c (in plain distance, as the cost measures
// it), c's channels clamped to 0-255 first.
Rgb NearestOf(const Channels& c, const TerminalPalette& palette) {
  Rgb clamped = 0;
  for (const double v : c) clamped = clamped << 8 | static_cast<Rgb>(std::clamp(v + 0.5, 0.0, 255.0));
  if (palette.colors == TerminalColors::Palette256) {
    return PaletteColors(palette)[static_cast<std::size_t>(NearestPalette256(clamped))];
  }
  Rgb best = 0;
  double bestDistance = std::numeric_limits<double>::infinity();
  for (const Rgb color : PaletteColors(palette)) {
    const Channels d = ChannelsOf(color);
    const double distance =
        (d[0] - c[0]) * (d[0] - c[0]) + (d[1] - c[1]) * (d[1] - c[1]) + (d[2] - c[2]) * (d[2] - c[2]);
    if (distance < bestDistance) best = color, bestDistance = distance;
  }
  return best;
}

}  // namespace

PaletteSplit ChoosePaletteSplit(std::span<const Split> splits, int samples, const Channels& total,
                                const TerminalPalette& palette) {
  const double n = samples;
  const Channels mean = {total[0] / n, total[1] / n, total[2] / n};
  PaletteSplit chosen;
  double best = std::numeric_limits<double>::infinity();
  std::vector<Rgb> inks;
  for (std::size_t i = 0; i < splits.size(); ++i) {
    const Split& split = splits[i];
    const double inked = split.inked, left = n - inked;
    const Channels leftSum = {total[0] - split.inkedSum[0], total[1] - split.inkedSum[1], total[2] - split.inkedSum[2]};
    inks.clear();
    if (split.inked > 0) PaletteAround(split.ink, palette, inks);
    if (inks.empty()) inks.push_back(0);
    for (const Rgb ink : inks) {
      const Channels a = ChannelsOf(ink);
      // The inked samples' squared distance from the ink, but for what all
      // splits share (each sample's own square).
      const double inkedError = inked * Dot(a, a) - 2 * Dot(a, split.inkedSum);
      // The paper's part of the cost is, but for a constant, its weighted
      // squared distance from one color: the palette's nearest to that
      // color is the best paper for this ink.
      Rgb paper = 0;
      if (left > 0) {
        const double weight = left + kLookWeight * left * left / n;
        Channels target{};
        for (std::size_t c = 0; c < 3; ++c) {
          const double wanted = mean[c] - inked * a[c] / n;  // what the paper must add to the mix
          target[c] = (leftSum[c] + kLookWeight * left * wanted) / weight;
        }
        paper = NearestOf(target, palette);
      }
      const Channels b = ChannelsOf(paper);
      double look = 0;
      for (std::size_t c = 0; c < 3; ++c) {
        const double mixed = (inked * a[c] + left * b[c]) / n - mean[c];
        look += mixed * mixed;
      }
      const double cost = inkedError + left * Dot(b, b) - 2 * Dot(b, leftSum) + kLookWeight * n * look;
      if (cost < best) best = cost, chosen = {i, ink, paper};
    }
  }
  return chosen;
}

}  // namespace morvexa
