#include "convert/cell_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "convert/float_lanes.h"
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

// sRGB's channels (0-1) made linear, by a table of 4096 steps read between
// its steps.
double Linear(double v) {
  static const std::array<float, 4097> table = [] {
    std::array<float, 4097> made{};
    for (std::size_t i = 0; i < made.size(); ++i) {
      const double x = static_cast<double>(i) / 4096;
      made[i] = static_cast<float>(x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4));
    }
    return made;
  }();
  const double at = std::clamp(v, 0.0, 1.0) * 4096;
  const auto below = static_cast<std::size_t>(std::min(at, 4095.0));
  return table[below] + (at - static_cast<double>(below)) * (table[below + 1] - table[below]);
}

// CIELAB (D65) of an sRGB color of channels 0-1.
Channels Lab(const Channels& c) {
  double linear[3];
  for (int k = 0; k < 3; ++k) linear[k] = Linear(c[static_cast<std::size_t>(k)]);
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

// The shapes side by side are taken this many lanes at a time.
constexpr std::size_t kLaneBlock = 16;

// The sums of a cell's samples, channel by channel, with every shape's ink,
// the shapes side by side in lanes (a whole number of blocks): into sums,
// each channel's lanes after the last's. A block of lanes at a time, its
// three rows of sums held in registers over all the samples; each sum is
// made in the same order, sample by sample. Made twice, for processors with
// AVX2 and for any other, the one to run chosen as the program loads.
__attribute__((target_clones("avx2", "default"))) void SumWithShapes(const float* __restrict red,
                                                                     const float* __restrict green,
                                                                     const float* __restrict blue,
                                                                     const float* __restrict bySample,
                                                                     std::size_t lanes, float* __restrict sums) {
  for (std::size_t k0 = 0; k0 < lanes; k0 += kLaneBlock) {
    Lanes8 r0{}, r1{}, g0{}, g1{}, b0{}, b1{};
    for (int i = 0; i < kFitSamples; ++i) {
      const float* ink = bySample + static_cast<std::size_t>(i) * lanes + k0;
      Lanes8 ink0, ink1;
      LoadLanes(ink0, ink);
      LoadLanes(ink1, ink + 8);
      const float vr = red[i], vg = green[i], vb = blue[i];
      r0 += vr * ink0, r1 += vr * ink1;
      g0 += vg * ink0, g1 += vg * ink1;
      b0 += vb * ink0, b1 += vb * ink1;
    }
    StoreLanes(sums + k0, r0), StoreLanes(sums + k0 + 8, r1);
    StoreLanes(sums + lanes + k0, g0), StoreLanes(sums + lanes + k0 + 8, g1);
    StoreLanes(sums + 2 * lanes + k0, b0), StoreLanes(sums + 2 * lanes + k0 + 8, b1);
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
  lanes_ = (shapes_.size() + kLaneBlock - 1) / kLaneBlock * kLaneBlock;
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

CellFit::Drawn CellFit::Fit(const float* red, const float* green, const float* blue) {
  CellCache<3 * kFitSamples, Drawn>::Key key;
  for (int i = 0; i < kFitSamples; ++i) {
    key[static_cast<std::size_t>(i)] = static_cast<unsigned char>(red[i]);
    key[static_cast<std::size_t>(kFitSamples + i)] = static_cast<unsigned char>(green[i]);
    key[static_cast<std::size_t>(2 * kFitSamples + i)] = static_cast<unsigned char>(blue[i]);
  }
  if (const Drawn* seen = seen_.Find(key)) return *seen;
  const Drawn drawn = FitAnew(red, green, blue);
  seen_.Keep(key, drawn);
  return drawn;
}

CellFit::Drawn CellFit::FitAnew(const float* red, const float* green, const float* blue) const {
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

  // Every shape's least squares fit, a vector of shapes at a time.
  thread_local std::vector<float> sums;
  sums.resize(3 * lanes_);
  SumWithShapes(red, green, blue, bySample_.data(), lanes_, sums.data());
  thread_local std::vector<ShapeFit> fits;
  fits.resize(shapes_.size());
  const float colorSpread = kColorWeight * (spread[0] + spread[1] + spread[2]);
  for (std::size_t k = 0; k < shapes_.size(); ++k) {
    ShapeFit& fit = fits[k];
    for (std::size_t c = 0; c < 3; ++c) fit.inkSums[c] = sums[c * lanes_ + k] / 255.0f;
    const float inkMean = measured_[k].sum / n, inkVariance = measured_[k].squares / n - inkMean * inkMean;
    fit.error = lumaSpread + colorSpread;
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
  // The best few shapes, in order.
  const std::size_t wanted = palette_.colors == TerminalColors::TrueColor ? 1 : kPaletteShapes;
  const std::size_t tried = std::min(wanted, shapes_.size());
  std::array<std::size_t, kPaletteShapes> best{};
  std::size_t held = 0;
  for (std::size_t k = 0; k < shapes_.size(); ++k) {
    if (held == tried && !fitsBetter(k, best[tried - 1])) continue;
    std::size_t at = std::min(held, tried - 1);
    while (at > 0 && fitsBetter(k, best[at - 1])) best[at] = best[at - 1], --at;
    best[at] = k;
    held = std::min(held + 1, tried);
  }
  if (palette_.colors == TerminalColors::TrueColor) {
    Channels ink, paper;
    leastSquares(best[0], ink, paper);
    return {best[0], RgbOf(ink), RgbOf(paper)};
  }

  // A terminal of few colors: the best few shapes, each in the pairs of its
  // palette around its least squares colors.
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
  thread_local std::vector<Rgb> inks, papers;
  thread_local std::vector<float> inkCosts, paperCosts;
  Drawn drawn;
  float lowest = std::numeric_limits<float>::infinity();
  for (std::size_t t = 0; t < tried; ++t) {
    const std::size_t k = best[t];
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
    // ink given) drawn as b + (a - b) x ink is the ink's part, the paper's
    // and, for ink in levels of gray, a part of both:
    //   squares + a^2 smm - 2 a ink + b^2 (n - 2 sm + smm) - 2 b (sum - ink)
    //   + 2 a b (sm - smm),
    // the luma's and, weighed, each channel's.
    const auto inkPart = [&](const Channels& a) {
      const float luma = kLuma[0] * a[0] + kLuma[1] * a[1] + kLuma[2] * a[2];
      float part = luma * luma * smm - 2 * luma * lumaInkSum;
      for (std::size_t c = 0; c < 3; ++c) part += kColorWeight * (a[c] * a[c] * smm - 2 * a[c] * fits[k].inkSums[c]);
      return part;
    };
    const auto paperPart = [&](const Channels& b) {
      const float luma = kLuma[0] * b[0] + kLuma[1] * b[1] + kLuma[2] * b[2];
      float part = luma * luma * (n - 2 * sm + smm) - 2 * luma * (cell.lumaSum - lumaInkSum);
      for (std::size_t c = 0; c < 3; ++c) {
        part += kColorWeight * (b[c] * b[c] * (n - 2 * sm + smm) - 2 * b[c] * (cell.sum[c] - fits[k].inkSums[c]));
      }
      return part;
    };
    // Every pair's cost is then an ink's part, a paper's, and the product
    // of a vector of each: their part together (ink in levels of gray) and
    // the look from afar, whose difference from the mean in CIELAB is the
    // ink's share of it plus the paper's, squared.
    const float both = 2 * (sm - smm);  // 0 for ink all or nothing
    const float share = sm / n, look = lookWeight_ * n / 10000.0f;
    const auto lab = [&](const Channels& v) {
      Channels out;
      for (std::size_t l = 0; l < 3; ++l) {
        out[l] = derivative[l][0] * v[0] + derivative[l][1] * v[1] + derivative[l][2] * v[2];
      }
      return out;
    };
    const Channels labMean = lab(mean);
    using Together = std::array<float, 7>;
    const auto together = [&](const Channels& c, float weight, float shareOf, bool ink) {
      const float luma = kLuma[0] * c[0] + kLuma[1] * c[1] + kLuma[2] * c[2];
      const Channels l = lab(c);
      Together v{weight * luma,
                 weight * kColorWeight * c[0],
                 weight * kColorWeight * c[1],
                 weight * kColorWeight * c[2],
                 0,
                 0,
                 0};
      for (std::size_t k3 = 0; k3 < 3; ++k3) v[4 + k3] = shareOf * l[k3] - (ink ? labMean[k3] : 0.0f);
      return v;
    };
    thread_local std::vector<Together> inkTogether, paperTogether;
    inkCosts.clear(), paperCosts.clear(), inkTogether.clear(), paperTogether.clear();
    for (const Rgb color : inks) {
      const Channels a = ChannelsOf(color);
      inkTogether.push_back(together(a, both, share, true));
      const Together& u = inkTogether.back();
      inkCosts.push_back(inkPart(a) + look * (u[4] * u[4] + u[5] * u[5] + u[6] * u[6]));
      // The pair's product: both's part, and twice the look's.
      for (std::size_t k3 = 4; k3 < 7; ++k3) inkTogether.back()[k3] *= 2 * look;
    }
    for (const Rgb color : papers) {
      const Channels b = ChannelsOf(color);
      paperTogether.push_back(together(b, 1, 1 - share, false));
      const Together& v = paperTogether.back();
      paperCosts.push_back(paperPart(b) + look * (v[4] * v[4] + v[5] * v[5] + v[6] * v[6]));
      // The color part of a pair counts the channels weighed once.
      for (std::size_t k3 = 1; k3 < 4; ++k3) paperTogether.back()[k3] /= kColorWeight;
    }
    // The papers' vectors part by part, so that a row of pairs is worked
    // out a vector at a time (there are 16 papers at most, the rest padded
    // with a paper that costs too much ever to be chosen).
    constexpr std::size_t kMostPapers = 16;
    const std::size_t count = std::min(papers.size(), kMostPapers);
    std::array<std::array<float, kMostPapers>, 7> byPart{};
    std::array<float, kMostPapers> paperCost;
    paperCost.fill(std::numeric_limits<float>::max());
    for (std::size_t j = 0; j < count; ++j) {
      paperCost[j] = paperCosts[j];
      for (std::size_t k7 = 0; k7 < 7; ++k7) byPart[k7][j] = paperTogether[j][k7];
    }
    const float constant = cell.lumaSquares + kColorWeight * (cell.squares[0] + cell.squares[1] + cell.squares[2]);
    for (std::size_t i = 0; i < inks.size(); ++i) {
      const Together& u = inkTogether[i];
      const float inkCost = constant + inkCosts[i];
      std::array<float, kMostPapers> row;
      for (std::size_t j = 0; j < kMostPapers; ++j) row[j] = inkCost + paperCost[j];
      for (std::size_t k7 = 0; k7 < 7; ++k7) {
        for (std::size_t j = 0; j < kMostPapers; ++j) row[j] += u[k7] * byPart[k7][j];
      }
      for (std::size_t j = 0; j < count; ++j) {
        if (row[j] < lowest - tie) lowest = row[j], drawn = {k, inks[i], papers[j]};
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
