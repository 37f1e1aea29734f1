#include "convert/shapes_to_art.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "convert/cell_rows.h"
#include "convert/ink_and_paper.h"
#include "convert/symbol_glyphs.h"

namespace morvexa {

namespace {

// SSIM's constants for values of 0-1: C1 = (0.01)^2 and C2 = (0.03)^2; plain
// art is scored with four times C2, which weighs a cell's structure less
// against its mean where contrast is faint.
constexpr double kC1 = 1e-4, kC2 = 9e-4, kPlainC2 = 4 * kC2;
constexpr int kCount = SymbolGlyphs::kCount;
constexpr int kHalf = SymbolGlyphs::kPixels / 2;
// The contrasts a glyph of fill is tried at, as multiples of the least
// squares fit: more contrast than the fit often draws a line more plainly.
constexpr double kScales[] = {1.0, 1.5, 2.2};
// Luma's weights (Rec. 709).
constexpr double kLumaWeights[3] = {0.2126, 0.7152, 0.0722};

// The sums of samples x (0-255) with each glyph's ink, in each half.
using InkSums = std::array<std::array<std::int32_t, 2>, kCount>;

void SumWithInk(const std::int16_t* x, InkSums& sums) {
  const SymbolGlyphs& glyphs = SymbolGlyphs::Get();
  for (int half = 0; half < 2; ++half) {
    const std::int16_t* part = x + half * kHalf;
    // The inner loop of the conversion: sums of 16-bit products, which the
    // compiler turns into vector multiply-adds.
    for (int k = 0; k < kCount; ++k) {
      const std::int16_t* ink = glyphs.ink[static_cast<std::size_t>(k)].data() + half * kHalf;
      std::int32_t inked = 0;
      for (int i = 0; i < kHalf; ++i) inked += static_cast<std::int32_t>(part[i]) * ink[i];
      sums[static_cast<std::size_t>(k)][static_cast<std::size_t>(half)] = inked;
    }
  }
}

// A cell's lumas as glyphs are scored against them: each half's mean and
// variance (0-1), and its sums with every glyph's ink.
struct CellLumas {
  std::array<double, 2> mean{}, variance{};
  InkSums inkSums{};

  void Measure(const std::int16_t* luma) {
    for (std::size_t half = 0; half < 2; ++half) {
      const std::int16_t* x = luma + half * kHalf;
      std::int64_t sum = 0, squares = 0;
      for (int i = 0; i < kHalf; ++i) sum += x[i], squares += x[i] * x[i];
      mean[half] = static_cast<double>(sum) / kHalf / 255.0;
      variance[half] = static_cast<double>(squares) / kHalf / (255.0 * 255.0) - mean[half] * mean[half];
    }
    SumWithInk(luma, inkSums);
  }

  // The covariance (0-1) of half's lumas with glyph k's ink, whose share
  // of the half is p.
  double WithInk(int k, std::size_t half, double p) const {
    return inkSums[static_cast<std::size_t>(k)][half] / (kHalf * 255.0) - mean[half] * p;
  }
};

// The share of glyph k's ink in half (or, for 2, in the whole cell).
double InkShare(int k, std::size_t half) {
  const auto& inked = SymbolGlyphs::Get().inked[static_cast<std::size_t>(k)];
  if (half == 2) return (inked[0] + inked[1]) / static_cast<double>(SymbolGlyphs::kPixels);
  return inked[half] / static_cast<double>(kHalf);
}

// How like the cell glyph k is when drawn on paper of luma paperLuma in an
// ink difference lighter (negative: darker): the sum of its halves' SSIM.
double Likeness(const CellLumas& cell, int k, double paperLuma, double difference, double c2) {
  double score = 0;
  for (std::size_t half = 0; half < 2; ++half) {
    const double p = InkShare(k, half);
    const double meanX = cell.mean[half];
    const double meanR = paperLuma + difference * p;
    const double varianceR = difference * difference * p * (1 - p);
    const double together = difference * cell.WithInk(k, half, p);
    score += (2 * meanX * meanR + kC1) * (2 * together + c2) /
             ((meanX * meanX + meanR * meanR + kC1) * (cell.variance[half] + varianceR + c2));
  }
  return score;
}

// The glyph of a plain cell: drawn black on white (invert: white on black).
int PlainGlyph(const CellLumas& cell, bool invert) {
  const double paper = invert ? 0 : 1;
  int best = 0;
  double bestScore = -std::numeric_limits<double>::infinity();
  for (int k = 0; k < kCount; ++k) {
    const double score = Likeness(cell, k, paper, -2 * paper + 1, kPlainC2);
    if (score > bestScore) bestScore = score, best = k;
  }
  return best;
}

Rgb ToRgb(const double* color) {
  Rgb out = 0;
  for (int c = 0; c < 3; ++c) {
    out = out << 8 | static_cast<Rgb>(std::clamp(std::lround(color[c] * 255), 0L, 255L));
  }
  return out;
}

// A cell's samples of one channel: their mean (0-1) and their sums with
// every glyph's ink.
struct CellChannel {
  double mean = 0;
  InkSums inkSums{};

  void Measure(const std::int16_t* x) {
    std::int32_t sum = 0;
    for (int i = 0; i < SymbolGlyphs::kPixels; ++i) sum += x[i];
    mean = sum / (SymbolGlyphs::kPixels * 255.0);
    SumWithInk(x, inkSums);
  }
};

// A cell of fill: the glyph, and the ink and paper it is drawn in.
struct Drawn {
  int glyph = 0;
  Rgb ink = 0, paper = 0;
};

// The glyph and two colors of a cell of fill. For each glyph, the colors
// are the least squares fit of ink and paper to the cell's samples (so the
// cell's mean color is kept), its contrast then tried at kScales within
// what colors can show; each is scored by likeness, and the best is drawn.
Drawn FillGlyph(const CellLumas& cell, const std::array<CellChannel, 3>& channels) {
  const double lumaMean = (cell.mean[0] + cell.mean[1]) / 2;
  double bestScore = -std::numeric_limits<double>::infinity();
  int best = 0;
  double bestDifference[3] = {};
  for (int k = 0; k < kCount; ++k) {
    const double p = InkShare(k, 2);
    const double variance = p * (1 - p);
    // Ink minus paper, per channel: the samples' covariance with the
    // glyph's ink over the ink's variance.
    double difference[3] = {};
    double largest = std::numeric_limits<double>::infinity();  // scale that keeps both colors showable
    if (variance > 0) {
      for (std::size_t c = 0; c < 3; ++c) {
        const auto& sums = channels[c].inkSums[static_cast<std::size_t>(k)];
        const double covariance = (sums[0] + sums[1]) / (SymbolGlyphs::kPixels * 255.0) - channels[c].mean * p;
        difference[c] = covariance / variance;
        // paper = mean - s * difference * p, ink = paper + s * difference.
        for (const double change : {-difference[c] * p, difference[c] * (1 - p)}) {
          if (change > 1e-12) largest = std::min(largest, (1 - channels[c].mean) / change);
          if (change < -1e-12) largest = std::min(largest, channels[c].mean / -change);
        }
      }
    }
    const double lumaDifference =
        kLumaWeights[0] * difference[0] + kLumaWeights[1] * difference[1] + kLumaWeights[2] * difference[2];
    for (const double scale : kScales) {
      const double s = std::min(scale, largest);
      const double d = s * lumaDifference;
      const double score = Likeness(cell, k, lumaMean - d * p, d, kC2);
      if (score > bestScore) {
        bestScore = score, best = k;
        for (int c = 0; c < 3; ++c) bestDifference[c] = s * difference[c];
      }
      if (variance == 0) break;
    }
  }
  const double p = InkShare(best, 2);
  double paper[3], ink[3];
  for (std::size_t c = 0; c < 3; ++c) {
    paper[c] = channels[c].mean - bestDifference[c] * p;
    ink[c] = paper[c] + bestDifference[c];
  }
  return {best, ToRgb(ink), ToRgb(paper)};
}

}  // namespace

void ShapesToArt(PictureReader& samples, std::size_t columns, bool fill, bool invert, CharList& list, ArtSink& sink) {
  sink.Clear();
  list.Clear();
  const CellColors wanted = sink.Colors();
  CellRows rows(samples, columns, kShapeSamplesWide, kShapeSamplesHigh);
  ByteString line(columns, ' ');
  std::vector<Rgb> inks(columns), papers(columns);
  std::array<bool, 256> listed{};
  std::array<std::int16_t, SymbolGlyphs::kPixels> luma, red, green, blue;
  CellLumas cell;
  std::array<CellChannel, 3> channels;
  for (std::size_t y = 0; rows.Next(); ++y) {
    for (std::size_t x = 0; x < columns; ++x) {
      rows.Lumas(x, luma.data());
      cell.Measure(luma.data());
      Drawn drawn;
      if (fill) {
        rows.Samples(x, red.data(), green.data(), blue.data());
        channels[0].Measure(red.data());
        channels[1].Measure(green.data());
        channels[2].Measure(blue.data());
        drawn = FillGlyph(cell, channels);
      } else {
        drawn = {PlainGlyph(cell, invert), rows.Mean(x), kNoColor};
      }
      const char symbol = SymbolGlyphs::SymbolOf(drawn.glyph);
      line[x] = symbol;
      if (!listed[static_cast<unsigned char>(symbol)]) {
        listed[static_cast<unsigned char>(symbol)] = true;
        list.AddIfAbsent(ByteStringView(&symbol, 1));
      }
      if (wanted == CellColors::Look) {
        // The cell from afar: its paper with its glyph's share of ink.
        const double share = InkShare(drawn.glyph, 2);
        inks[x] = fill ? Blend(drawn.paper, drawn.ink, share)
                       : Blend(invert ? 0x000000 : 0xFFFFFF, invert ? 0xFFFFFF : 0x000000, share);
      } else {
        inks[x] = drawn.ink;
        papers[x] = drawn.paper;
      }
    }
    if (wanted == CellColors::None) {
      sink.WriteLine(y, line);
    } else if (wanted == CellColors::Own && fill) {
      sink.WriteColoredLine(y, line, {inks, papers});
    } else {
      sink.WriteColoredLine(y, line, inks);
    }
  }
}

}  // namespace morvexa
