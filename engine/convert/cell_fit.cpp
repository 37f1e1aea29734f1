#include "convert/cell_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "convert/palette_mix.h"

namespace morvexa {

namespace {

// How much the samples' colors count beside their tones (luma), which
// carry the structure the eye sees first.
constexpr float kColorWeight = 0.1f;
// Luma's weights (Rec. 709).
constexpr float kLuma[3] = {0.2126f, 0.7152f, 0.0722f};
// For a terminal of few colors, how many of a cell's best shapes are tried
// in its palette.
constexpr std::size_t kPaletteShapes = 6;

using Channels = std::array<float, 3>;

Channels ChannelsOf(Rgb color) {
  return {static_cast<float>(color >> 16 & 0xFF) / 255.0f, static_cast<float>(color >> 8 & 0xFF) / 255.0f,
          static_cast<float>(color & 0xFF) / 255.0f};
}

Rgb RgbOf(const Channels& c) {
  Rgb out = 0;
  for (const float v : c) out = out << 8 | static_cast<Rgb>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
  return out;
}

// CIELAB (D65) of an sRGB color of channels 0-1.
Channels Lab(const Channels& c) {
  double linear[3];
  for (int k = 0; k < 3; ++k) {
    const double v = c[static_cast<std::size_t>(k)];
    linear[k] = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  }
  const double xyz[3] = {(0.4124564 * linear[0] + 0.3575761 * linear[1] + 0.1804375 * linear[2]) / 0.95047,
                         0.2126729 * linear[0] + 0.7151522 * linear[1] + 0.0721750 * linear[2],
                         (0.0193339 * linear[0] + 0.1191920 * linear[1] + 0.9503041 * linear[2]) / 1.08883};
  double f[3];
  for (int k = 0; k < 3; ++k) {
    f[k] = xyz[k] > 216.0 / 24389 ? std::cbrt(xyz[k]) : (24389.0 / 27 * xyz[k] + 16) / 116;
  }
  return {static_cast<float>(116 * f[1] - 16), static_cast<float>(500 * (f[0] - f[1])),
          static_cast<float>(200 * (f[1] - f[2]))};
}

// What a cell's samples sum to, for measuring any shape against them.
struct CellSums {
  std::array<const float*, 3> channels;
  std::array<float, kFitSamples> luma;
  Channels sum{}, squares{};  // of each channel (0-1)
  float lumaSum = 0, lumaSquares = 0;
};

// How well shape k fits the cell, by least squares: the cell's samples
// less the best paper + difference x ink of the shape, squared, luma and
// colors weighed as the measure has them; and the ink's sums with each
// channel.
struct ShapeFit {
  float error = 0;
  Channels inkSums{};  // sum over samples of ink x channel (0-1)
};

// The sums of the samples of each channel with every shape's ink, the
// shapes side by side in lanes of eight. Made twice, for processors with
// AVX2 and for any other, the one to run chosen as the program loads.
__attribute__((target_clones("avx2", "default"))) void SumWithShapes(const float* const* channels,
                                                                     const float* __restrict bySample,
                                                                     std::size_t lanes, float* __restrict sums) {
  std::fill(sums, sums + 3 * lanes, 0.0f);
  for (int i = 0; i < kFitSamples; ++i) {
    const float* ink = bySample + static_cast<std::size_t>(i) * lanes;
    for (std::size_t c = 0; c < 3; ++c) {
      const float v = channels[c][i];
      float* sum = sums + c * lanes;
      for (std::size_t k0 = 0; k0 < lanes; k0 += 8) {
        for (std::size_t j = 0; j < 8; ++j) sum[k0 + j] += v * ink[k0 + j];
      }
    }
  }
}

}  // namespace

float CellFit::LookWeightOf(const TerminalPalette& palette) {
  switch (palette.colors) {
    case TerminalColors::TrueColor: break;
    case TerminalColors::Palette256: return 0.05f;
    case TerminalColors::Palette16: return 0.005f;
  }
  return 0;
}

CellFit::CellFit(std::vector<FitShape> shapes, const TerminalPalette& palette)
    : CellFit(std::move(shapes), palette, LookWeightOf(palette)) {}

CellFit::CellFit(std::vector<FitShape> shapes, const TerminalPalette& palette, float lookWeight)
    : shapes_(std::move(shapes)), palette_(palette), lookWeight_(lookWeight) {
  lanes_ = (shapes_.size() + 7) / 8 * 8;
  bySample_.assign(lanes_ * kFitSamples, 0.0f);
  for (std::size_t k = 0; k < shapes_.size(); ++k) {
    Measured m;
    for (std::size_t i = 0; i < kFitSamples; ++i) {
      const float v = shapes_[k][i];
      m.sum += v, m.squares += v * v;
      bySample_[i * lanes_ + k] = v;
    }
    measured_.push_back(m);
  }
}

CellFit::Drawn CellFit::Fit(const float* red, const float* green, const float* blue) const {
  constexpr float n = kFitSamples;
  CellSums cell;
  cell.channels = {red, green, blue};
  for (int i = 0; i < kFitSamples; ++i) {
    float y = 0;
    for (std::size_t c = 0; c < 3; ++c) {
      const float v = cell.channels[c][i] / 255.0f;
      cell.sum[c] += v;
      cell.squares[c] += v * v;
      y += kLuma[c] * v;
    }
    cell.luma[static_cast<std::size_t>(i)] = y;
    cell.lumaSum += y;
    cell.lumaSquares += y * y;
  }
  const Channels mean = {cell.sum[0] / n, cell.sum[1] / n, cell.sum[2] / n};
  const float lumaSpread = cell.lumaSquares - cell.lumaSum * cell.lumaSum / n;
  Channels spread;
  for (std::size_t c = 0; c < 3; ++c) spread[c] = cell.squares[c] - cell.sum[c] * cell.sum[c] / n;

  // Every shape's least squares fit.
  thread_local std::vector<float> sums;
  sums.resize(3 * lanes_);
  SumWithShapes(cell.channels.data(), bySample_.data(), lanes_, sums.data());
  thread_local std::vector<ShapeFit> fits;
  fits.assign(shapes_.size(), ShapeFit{});
  for (std::size_t k = 0; k < shapes_.size(); ++k) {
    ShapeFit& fit = fits[k];
    for (std::size_t c = 0; c < 3; ++c) fit.inkSums[c] = sums[c * lanes_ + k] / 255.0f;
    const float inkMean = measured_[k].sum / n, inkVariance = measured_[k].squares / n - inkMean * inkMean;
    fit.error = lumaSpread + kColorWeight * (spread[0] + spread[1] + spread[2]);
    if (inkVariance > 1e-6f) {
      float lumaCovariance = 0;
      for (std::size_t c = 0; c < 3; ++c) {
        const float covariance = fit.inkSums[c] / n - inkMean * mean[c];
        lumaCovariance += kLuma[c] * covariance;
        fit.error -= kColorWeight * n * covariance * covariance / inkVariance;
      }
      fit.error -= n * lumaCovariance * lumaCovariance / inkVariance;
    }
  }
  // The least squares colors of shape k: paper, and ink where it covers a
  // sample whole.
  auto leastSquares = [&](std::size_t k, Channels& ink, Channels& paper) {
    const float inkMean = measured_[k].sum / n, inkVariance = measured_[k].squares / n - inkMean * inkMean;
    for (std::size_t c = 0; c < 3; ++c) {
      const float difference = inkVariance > 1e-6f ? (fits[k].inkSums[c] / n - inkMean * mean[c]) / inkVariance : 0;
      paper[c] = mean[c] - difference * inkMean;
      ink[c] = paper[c] + difference;
    }
  };

  // Shapes that fit as well as one before them (a flat cell fits every one)
  // give way to it: the space, first, over any glyph in one color.
  const float tie = 1e-6f * n;
  const auto fitsBetter = [&](std::size_t a, std::size_t b) {
    return fits[a].error < fits[b].error - tie || (fits[a].error <= fits[b].error + tie && a < b);
  };
  if (palette_.colors == TerminalColors::TrueColor) {
    std::size_t best = 0;
    for (std::size_t k = 1; k < fits.size(); ++k) {
      if (fitsBetter(k, best)) best = k;
    }
    Channels ink, paper;
    leastSquares(best, ink, paper);
    return {best, RgbOf(ink), RgbOf(paper)};
  }

  // A terminal of few colors: the best few shapes, each in the pairs of its
  // palette around its least squares colors.
  std::vector<std::size_t> order(shapes_.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  const std::size_t tried = std::min(kPaletteShapes, order.size());
  std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(tried), order.end(), fitsBetter);
  // How far a mixed color seen from afar lies from the mean in CIELAB,
  // near it: its difference from the mean through the derivatives of
  // CIELAB there.
  std::array<Channels, 3> derivative{};
  if (lookWeight_ > 0) {
    const Channels at = Lab(mean);
    for (std::size_t c = 0; c < 3; ++c) {
      Channels moved = mean;
      const float step = moved[c] < 0.5f ? 0.01f : -0.01f;
      moved[c] += step;
      const Channels there = Lab(moved);
      for (std::size_t l = 0; l < 3; ++l) derivative[l][c] = (there[l] - at[l]) / step;
    }
  }
  const std::span<const Rgb> colors = PaletteColors(palette_);
  std::vector<Rgb> inks, papers;
  Drawn drawn;
  float best = std::numeric_limits<float>::infinity();
  for (std::size_t t = 0; t < tried; ++t) {
    const std::size_t k = order[t];
    const float sm = measured_[k].sum, smm = measured_[k].squares;
    Channels inkLs, paperLs;
    leastSquares(k, inkLs, paperLs);
    inks.clear(), papers.clear();
    if (palette_.colors == TerminalColors::Palette16) {
      inks.assign(colors.begin(), colors.end());
      papers.assign(colors.begin(), colors.end());
    } else {
      PaletteAround(RgbOf(inkLs), palette_, inks);
      PaletteAround(RgbOf(paperLs), palette_, papers);
    }
    float lumaInkSum = 0;
    for (std::size_t c = 0; c < 3; ++c) lumaInkSum += kLuma[c] * fits[k].inkSums[c];
    // The squared error of values x (their sum, squares and sum with the
    // ink given) drawn as b + (a - b) x ink.
    const auto error = [&](float sumX, float squaresX, float inkX, float a, float b) {
      return squaresX + a * a * smm - 2 * a * inkX + b * b * (n - 2 * sm + smm) - 2 * b * (sumX - inkX) +
             2 * a * b * (sm - smm);
    };
    for (const Rgb inkColor : inks) {
      const Channels a = ChannelsOf(inkColor);
      const float lumaA = kLuma[0] * a[0] + kLuma[1] * a[1] + kLuma[2] * a[2];
      for (const Rgb paperColor : papers) {
        const Channels b = ChannelsOf(paperColor);
        const float lumaB = kLuma[0] * b[0] + kLuma[1] * b[1] + kLuma[2] * b[2];
        float cost = error(cell.lumaSum, cell.lumaSquares, lumaInkSum, lumaA, lumaB);
        for (std::size_t c = 0; c < 3; ++c) {
          cost += kColorWeight * error(cell.sum[c], cell.squares[c], fits[k].inkSums[c], a[c], b[c]);
        }
        if (lookWeight_ > 0) {
          Channels away;
          for (std::size_t c = 0; c < 3; ++c) away[c] = b[c] + (a[c] - b[c]) * sm / n - mean[c];
          float lab = 0;
          for (std::size_t l = 0; l < 3; ++l) {
            const float d = derivative[l][0] * away[0] + derivative[l][1] * away[1] + derivative[l][2] * away[2];
            lab += d * d;
          }
          cost += lookWeight_ * n * lab / 10000.0f;
        }
        if (cost < best - tie) best = cost, drawn = {k, inkColor, paperColor};
      }
    }
  }
  return drawn;
}

std::size_t NearestShape(const std::vector<FitShape>& shapes, const float* tones, float toneWeight) {
  constexpr float n = kFitSamples;
  float toneSum = 0;
  for (int i = 0; i < kFitSamples; ++i) toneSum += tones[i];
  std::size_t best = 0;
  float bestCost = std::numeric_limits<float>::infinity();
  for (std::size_t k = 0; k < shapes.size(); ++k) {
    float cost = 0, inkSum = 0;
    for (int i = 0; i < kFitSamples; ++i) {
      const float ink = shapes[k][static_cast<std::size_t>(i)];
      const float d = tones[i] - ink;
      cost += d * d;
      inkSum += ink;
    }
    const float away = (toneSum - inkSum) / n;
    cost += toneWeight * n * away * away;
    if (cost < bestCost) bestCost = cost, best = k;
  }
  return best;
}

}  // namespace morvexa
