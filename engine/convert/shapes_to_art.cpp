#include "convert/shapes_to_art.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "convert/cell_rows.h"
#include "convert/ink_and_paper.h"
#include "convert/palette_mix.h"
#include "convert/symbol_glyphs.h"

namespace morvexa {

namespace {

// SSIM's constants for values of 0-1: C1 = (0.01)^2 and C2 = (0.03)^2.
constexpr float kC1 = 1e-4f, kC2 = 9e-4f;
constexpr int kCount = SymbolGlyphs::kCount;
constexpr int kHalf = SymbolGlyphs::kPixels / 2;
// The glyphs' scores are worked out side by side, for as many glyphs as
// vectors of 8 hold: the last is a blank that never wins.
constexpr int kLanes = 96;
// The contrasts a glyph of fill is tried at beyond the least squares fit,
// as multiples of it: more contrast than the fit often draws a line more
// plainly.
constexpr float kStrongerScales[] = {1.5f, 2.2f};
// Luma's weights (Rec. 709).
constexpr float kLumaWeights[3] = {0.2126f, 0.7152f, 0.0722f};

using Lanes = std::array<float, kLanes>;

// What scoring needs of each glyph: the share of its ink in each half and
// in the whole cell, the variance of its ink in each half, and one over the
// variance of its ink in the whole cell (0 for a blank).
struct GlyphTable {
  std::array<Lanes, 2> halfShare{}, halfVariance{};
  Lanes share{}, inverseVariance{};

  GlyphTable() {
    const SymbolGlyphs& glyphs = SymbolGlyphs::Get();
    for (std::size_t k = 0; k < kCount; ++k) {
      for (std::size_t half = 0; half < 2; ++half) {
        const float p = static_cast<float>(glyphs.inked[k][half]) / kHalf;
        halfShare[half][k] = p;
        halfVariance[half][k] = p * (1 - p);
      }
      const float p = static_cast<float>(glyphs.inked[k][0] + glyphs.inked[k][1]) / SymbolGlyphs::kPixels;
      share[k] = p;
      inverseVariance[k] = p > 0 && p < 1 ? 1 / (p * (1 - p)) : 0;
    }
  }
};
const GlyphTable& Table() {
  static const GlyphTable table;
  return table;
}

// The sums of samples x (0-255) with each glyph's ink, in each half, as
// parts (0-1) of the half's samples.
using InkSums = std::array<Lanes, 2>;

// Made twice, for processors with AVX2 (twice as many products an
// instruction) and for any other, the one to run chosen as the program
// loads.
__attribute__((target_clones("avx2", "default"))) void SumWithInk(const std::int16_t* x, InkSums& sums) {
  const SymbolGlyphs& glyphs = SymbolGlyphs::Get();
  for (std::size_t half = 0; half < 2; ++half) {
    const std::int16_t* part = x + half * kHalf;
    // The inner loop of the conversion: sums of 16-bit products, which the
    // compiler turns into vector multiply-adds.
    for (std::size_t k = 0; k < kCount; ++k) {
      const std::int16_t* ink = glyphs.ink[k].data() + half * kHalf;
      std::int32_t inked = 0;
      for (int i = 0; i < kHalf; ++i) inked += static_cast<std::int32_t>(part[i]) * ink[i];
      sums[half][k] = static_cast<float>(inked) / (kHalf * 255.0f);
    }
    sums[half][kLanes - 1] = 0;
  }
}

// A cell's lumas as glyphs are scored against them: each half's mean and
// variance (0-1), and its sums with every glyph's ink.
struct CellLumas {
  std::array<float, 2> mean{}, variance{};
  InkSums inkSums{};

  // The means and variances of lumas; their sums with the glyphs' ink
  // follow from them (SumWithInk) or from the channels' (FromChannels).
  void Measure(const std::int16_t* luma) {
    for (std::size_t half = 0; half < 2; ++half) {
      const std::int16_t* x = luma + half * kHalf;
      std::int64_t sum = 0, squares = 0;
      for (int i = 0; i < kHalf; ++i) sum += x[i], squares += x[i] * x[i];
      const double m = static_cast<double>(sum) / kHalf / 255.0;
      mean[half] = static_cast<float>(m);
      variance[half] = static_cast<float>(static_cast<double>(squares) / kHalf / (255.0 * 255.0) - m * m);
    }
  }
};

// The SSIM of a half of the cell, of mean meanX, variance varianceX and sum
// with a glyph's ink, with the glyph drawn on paper in an ink difference
// lighter (negative: darker), its ink p of the half, of variance v.
inline float HalfLikeness(float meanX, float varianceX, float sum, float paper, float difference, float p, float v,
                          float c2) {
  const float meanR = paper + difference * p;
  const float together = difference * (sum - meanX * p);
  return (2 * meanX * meanR + kC1) * (2 * together + c2) /
         ((meanX * meanX + meanR * meanR + kC1) * (varianceX + difference * difference * v + c2));
}

// How like the cell each glyph k is, drawn on paper of luma paper[k] in an
// ink difference[k] lighter (negative: darker): the sum of its halves'
// SSIM, in score.
void Likeness(const CellLumas& cell, const Lanes& paper, const Lanes& difference, float c2, Lanes& score) {
  const GlyphTable& table = Table();
  score.fill(0);
  for (std::size_t half = 0; half < 2; ++half) {
    const float meanX = cell.mean[half], varianceX = cell.variance[half];
    const Lanes& p = table.halfShare[half];
    const Lanes& v = table.halfVariance[half];
    const Lanes& sums = cell.inkSums[half];
    for (std::size_t k = 0; k < kLanes; ++k) {
      score[k] += HalfLikeness(meanX, varianceX, sums[k], paper[k], difference[k], p[k], v[k], c2);
    }
  }
}

// The same for glyph k alone.
float LikenessOf(const CellLumas& cell, std::size_t k, float paper, float difference, float c2) {
  const GlyphTable& table = Table();
  float score = 0;
  for (std::size_t half = 0; half < 2; ++half) {
    score += HalfLikeness(cell.mean[half], cell.variance[half], cell.inkSums[half][k], paper, difference,
                          table.halfShare[half][k], table.halfVariance[half][k], c2);
  }
  return score;
}

// Plain art: what a glyph is matched by. Seen from a reading distance a
// glyph is a patch of ink: its pixels blurred by kBlur, so that how much ink
// it has and where it puts it are compared, not its exact strokes, which
// terminal fonts draw each their own way.
constexpr float kBlur = 1.0f;
constexpr int kBlurReach = 4;  // pixels each side, as far as the blur counts
// How much the structural similarity of a glyph with the cell adds to its
// match, against the difference of their patches of ink: a little, so that
// strokes follow edges where the tones allow.
constexpr float kStructureWeight = 0.05f;
// Symbols that terminal fonts draw too unlike the built-in font's glyphs
// for their ink to be where it was matched: in DejaVu Sans Mono, the
// blurred ink of each differs from Unifont's by more than 30% of the
// densest glyph's, squared (tests/check_terminal_symbols.py measures it).
constexpr std::string_view kUnlikeInTerminals = "&*256BEKMSYZly~";

// A kernel of the blur, from the middle out.
std::array<float, kBlurReach + 1> BlurKernel() {
  std::array<float, kBlurReach + 1> kernel{};
  float sum = 0;
  for (int i = -kBlurReach; i <= kBlurReach; ++i) sum += std::exp(-0.5f * static_cast<float>(i * i) / (kBlur * kBlur));
  for (int i = 0; i <= kBlurReach; ++i) {
    kernel[static_cast<std::size_t>(i)] = std::exp(-0.5f * static_cast<float>(i * i) / (kBlur * kBlur)) / sum;
  }
  return kernel;
}

// The cell's 8 x 16 values blurred, the cell's edges going on as they are
// (a cell's own tones), or, for a glyph, as paper (edgesBlank).
void Blur(const float* in, float* out, bool edgesBlank) {
  static const std::array<float, kBlurReach + 1> kernel = BlurKernel();
  constexpr int w = SymbolGlyphs::kWidth, h = SymbolGlyphs::kHeight, r = kBlurReach;
  constexpr int paddedW = w + 2 * r, paddedH = h + 2 * r;
  // The values with kBlurReach more each side, then blurred across, then
  // down.
  float padded[paddedH * paddedW];
  for (int y = 0; y < paddedH; ++y) {
    for (int x = 0; x < paddedW; ++x) {
      const bool inside = x >= r && x < r + w && y >= r && y < r + h;
      padded[y * paddedW + x] =
          !inside && edgesBlank ? 0.0f : in[std::clamp(y - r, 0, h - 1) * w + std::clamp(x - r, 0, w - 1)];
    }
  }
  float across[paddedH * w];
  for (int y = 0; y < paddedH; ++y) {
    for (int x = 0; x < w; ++x) {
      const float* at = padded + y * paddedW + x + r;
      float sum = kernel[0] * at[0];
      for (int i = 1; i <= r; ++i) sum += kernel[static_cast<std::size_t>(i)] * (at[-i] + at[i]);
      across[y * w + x] = sum;
    }
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const float* at = across + (y + r) * w + x;
      float sum = kernel[0] * at[0];
      for (int i = 1; i <= r; ++i) sum += kernel[static_cast<std::size_t>(i)] * (at[-i * w] + at[i * w]);
      out[y * w + x] = sum;
    }
  }
}

// The glyphs of plain art, blurred: their patches of ink, pixel by pixel
// for every glyph at once, the square of each, and the densest glyph's
// share of ink.
struct BlurredGlyphs {
  std::array<Lanes, SymbolGlyphs::kPixels> byPixel{};
  Lanes squares{};
  std::array<bool, kLanes> used{};
  float densest = 0;

  BlurredGlyphs() {
    const SymbolGlyphs& glyphs = SymbolGlyphs::Get();
    for (std::size_t k = 0; k < kCount; ++k) {
      used[k] = kUnlikeInTerminals.find(SymbolGlyphs::SymbolOf(static_cast<int>(k))) == std::string_view::npos;
      float ink[SymbolGlyphs::kPixels], patch[SymbolGlyphs::kPixels];
      for (int i = 0; i < SymbolGlyphs::kPixels; ++i) ink[i] = glyphs.ink[k][static_cast<std::size_t>(i)];
      Blur(ink, patch, true);
      for (std::size_t i = 0; i < SymbolGlyphs::kPixels; ++i) {
        byPixel[i][k] = patch[i];
        squares[k] += patch[i] * patch[i];
      }
      if (used[k]) densest = std::max(densest, Table().share[k]);
    }
  }
};
const BlurredGlyphs& Blurred() {
  static const BlurredGlyphs blurred;
  return blurred;
}

// The sums of a cell's patch of ink with every glyph's, the glyphs side by
// side in vectors.
__attribute__((target_clones("avx2", "default"))) void SumWithPatches(const float* cell, Lanes& sums) {
  const BlurredGlyphs& blurred = Blurred();
  // Summed in a vector of its own, which nothing else can alias.
  Lanes sum{};
  for (std::size_t i = 0; i < SymbolGlyphs::kPixels; ++i) {
    const float v = cell[i];
    const Lanes& glyphs = blurred.byPixel[i];
    for (std::size_t k = 0; k < kLanes; ++k) sum[k] += v * glyphs[k];
  }
  sums = sum;
}

// The glyph of a plain cell, dark ink on light paper (invert: light on
// dark), from its samples' lumas through the picture's levels: the glyph
// whose patch of ink is nearest the cell's, the cell's ink being the
// densest glyph's at the darkest tones, with a little of their structural
// similarity.
int PlainGlyph(const std::int16_t* luma, const std::array<float, 256>& inkOfLuma) {
  const BlurredGlyphs& blurred = Blurred();
  float ink[SymbolGlyphs::kPixels], patch[SymbolGlyphs::kPixels];
  std::array<std::int16_t, SymbolGlyphs::kPixels> paper;
  for (int i = 0; i < SymbolGlyphs::kPixels; ++i) {
    const float share = inkOfLuma[static_cast<std::size_t>(luma[i])];
    ink[i] = share * blurred.densest;
    paper[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(std::lround((1 - share) * 255));
  }
  Blur(ink, patch, false);
  Lanes sums, score, white, black;
  SumWithPatches(patch, sums);
  // Structure: each glyph drawn black on white, against the cell as its
  // levels make it, paper where no ink.
  CellLumas cell;
  cell.Measure(paper.data());
  SumWithInk(paper.data(), cell.inkSums);
  white.fill(1.0f);
  black.fill(-1.0f);
  Likeness(cell, white, black, kC2, score);
  float patchSquare = 0;
  for (const float v : patch) patchSquare += v * v;
  const float scale = 1 / (static_cast<float>(SymbolGlyphs::kPixels) * blurred.densest * blurred.densest);
  int best = 0;
  float bestCost = std::numeric_limits<float>::infinity();
  for (std::size_t k = 0; k < kCount; ++k) {
    if (!blurred.used[k]) continue;
    const float cost = (blurred.squares[k] - 2 * sums[k] + patchSquare) * scale - kStructureWeight * score[k] / 2;
    if (cost < bestCost) bestCost = cost, best = static_cast<int>(k);
  }
  return best;
}

Rgb ToRgb(const float* color) {
  Rgb out = 0;
  for (int c = 0; c < 3; ++c) {
    out = out << 8 | static_cast<Rgb>(std::clamp(std::lround(color[c] * 255), 0L, 255L));
  }
  return out;
}

// A cell's samples of one channel: their mean (0-1) and their sums with
// every glyph's ink.
struct CellChannel {
  float mean = 0;
  InkSums inkSums{};

  void Measure(const std::int16_t* x) {
    std::int32_t sum = 0;
    for (int i = 0; i < SymbolGlyphs::kPixels; ++i) sum += x[i];
    mean = static_cast<float>(sum) / (SymbolGlyphs::kPixels * 255.0f);
    SumWithInk(x, inkSums);
  }
};

// A cell of fill: the glyph, and the ink and paper it is drawn in.
struct Drawn {
  int glyph = 0;
  Rgb ink = 0, paper = 0;
};

// The glyph and two colors of a cell of fill. For each glyph, ink and
// paper are the least squares fit to the cell's samples: the means of the
// samples its ink covers and of those it leaves, so the cell keeps its
// mean color. The glyphs are scored by likeness; the few that score best
// are then tried at the stronger contrasts of kStrongerScales, as far as
// colors go, and the best of all is drawn.
Drawn FillGlyph(const CellLumas& cell, const std::array<CellChannel, 3>& channels) {
  constexpr std::size_t kTried = 4;
  const GlyphTable& table = Table();
  const float lumaMean = (cell.mean[0] + cell.mean[1]) / 2;
  // Ink minus paper, per channel and in luma: the samples' covariance with
  // the glyph's ink over the ink's variance.
  std::array<Lanes, 3> difference;
  Lanes lumaDifference{}, paper, score;
  for (std::size_t c = 0; c < 3; ++c) {
    const CellChannel& channel = channels[c];
    for (std::size_t k = 0; k < kLanes; ++k) {
      const float sum = (channel.inkSums[0][k] + channel.inkSums[1][k]) / 2;
      difference[c][k] = (sum - channel.mean * table.share[k]) * table.inverseVariance[k];
      lumaDifference[k] += kLumaWeights[c] * difference[c][k];
    }
  }
  for (std::size_t k = 0; k < kLanes; ++k) paper[k] = lumaMean - lumaDifference[k] * table.share[k];
  Likeness(cell, paper, lumaDifference, kC2, score);

  // The best few, tried with more contrast.
  // (Kept in order as met: a glyph goes in above the first that scores less.)
  std::array<int, kTried> order;
  std::size_t held = 0;
  for (int k = 0; k < kCount; ++k) {
    const float s = score[static_cast<std::size_t>(k)];
    if (held == kTried && s <= score[static_cast<std::size_t>(order[kTried - 1])]) continue;
    std::size_t at = std::min(held, kTried - 1);
    while (at > 0 && score[static_cast<std::size_t>(order[at - 1])] < s) {
      order[at] = order[at - 1];
      --at;
    }
    order[at] = k;
    held = std::min(held + 1, kTried);
  }
  std::size_t best = static_cast<std::size_t>(order[0]);
  float bestScore = score[best], bestScale = 1;
  for (std::size_t i = 0; i < kTried; ++i) {
    const auto k = static_cast<std::size_t>(order[i]);
    const float p = table.share[k];
    if (table.inverseVariance[k] == 0) continue;
    // The largest scale that keeps paper (mean - s d p) and ink (paper + s d)
    // in 0-1 in every channel.
    float largest = std::numeric_limits<float>::infinity();
    for (std::size_t c = 0; c < 3; ++c) {
      const float m = channels[c].mean, d = difference[c][k];
      for (const float change : {-d * p, d * (1 - p)}) {
        if (change > 1e-9f) largest = std::min(largest, (1 - m) / change);
        if (change < -1e-9f) largest = std::min(largest, m / -change);
      }
    }
    for (const float scale : kStrongerScales) {
      const float s = std::min(scale, largest);
      const float d = s * lumaDifference[k];
      const float stronger = LikenessOf(cell, k, lumaMean - d * p, d, kC2);
      if (stronger > bestScore) bestScore = stronger, best = k, bestScale = s;
    }
  }
  float inkColor[3], paperColor[3];
  for (std::size_t c = 0; c < 3; ++c) {
    const float d = bestScale * difference[c][best];
    paperColor[c] = channels[c].mean - d * table.share[best];
    inkColor[c] = paperColor[c] + d;
  }
  return {static_cast<int>(best), ToRgb(inkColor), ToRgb(paperColor)};
}

// The share of glyph k's ink in the whole cell.
double InkShare(int k) { return Table().share[static_cast<std::size_t>(k)]; }

// For a terminal of few colors: the glyphs that, besides the cell's own,
// may draw a cell in two colors of the palette, mixing them evenly (those
// of the default ramp, from little ink to the most).
constexpr std::string_view kMixers = ".:+xo%#@";

// The cell of fill drawn in a terminal's palette: its own glyph, a mixer or
// a space, each with the least squares colors of its split (the means of
// the samples it inks and of the others), chosen with their colors from
// the palette (ChoosePaletteSplit).
Drawn PaletteGlyph(const Drawn& own, const std::array<CellChannel, 3>& channels, const TerminalPalette& palette) {
  const SymbolGlyphs& glyphs = SymbolGlyphs::Get();
  std::array<Split, kMixers.size() + 2> splits;
  std::size_t count = 0;
  std::array<double, 3> total;
  for (std::size_t c = 0; c < 3; ++c) total[c] = channels[c].mean * 255.0 * SymbolGlyphs::kPixels;
  const auto add = [&](int k) {
    const auto g = static_cast<std::size_t>(k);
    Split& split = splits[count++];
    split.symbol = g;
    split.inked = glyphs.inked[g][0] + glyphs.inked[g][1];
    double inside[3], outside[3];
    for (std::size_t c = 0; c < 3; ++c) {
      split.inkedSum[c] = (channels[c].inkSums[0][g] + channels[c].inkSums[1][g]) * kHalf * 255.0;
      inside[c] = split.inked > 0 ? split.inkedSum[c] / split.inked : total[c] / SymbolGlyphs::kPixels;
      outside[c] = split.inked < SymbolGlyphs::kPixels
                       ? (total[c] - split.inkedSum[c]) / (SymbolGlyphs::kPixels - split.inked)
                       : inside[c];
    }
    const auto rgb = [](const double* v) {
      Rgb out = 0;
      for (int c = 0; c < 3; ++c) out = out << 8 | static_cast<Rgb>(std::clamp(std::lround(v[c]), 0L, 255L));
      return out;
    };
    split.ink = rgb(inside), split.paper = rgb(outside);
  };
  add(0);  // the space
  if (own.glyph != 0) add(own.glyph);
  for (const char mixer : kMixers) {
    if (mixer - 0x20 != own.glyph) add(mixer - 0x20);
  }
  const PaletteSplit drawn =
      ChoosePaletteSplit(std::span<const Split>(splits.data(), count), SymbolGlyphs::kPixels, total, palette);
  return {static_cast<int>(splits[drawn.split].symbol), drawn.ink, drawn.paper};
}

}  // namespace

void ShapesToArt(PictureReader& samples, std::size_t columns, bool fill, bool invert, const ToneLevels& levels,
                 const TerminalPalette& palette, CharList& list, ArtSink& sink) {
  sink.Clear();
  list.Clear();
  std::array<float, 256> inkOfLuma{};
  for (std::size_t v = 0; v < inkOfLuma.size(); ++v) inkOfLuma[v] = levels.Ink(static_cast<float>(v), invert);
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
        // The lumas' sums with the ink, as luma weighs the channels'.
        for (std::size_t half = 0; half < 2; ++half) {
          for (std::size_t k = 0; k < kLanes; ++k) {
            cell.inkSums[half][k] = kLumaWeights[0] * channels[0].inkSums[half][k] +
                                    kLumaWeights[1] * channels[1].inkSums[half][k] +
                                    kLumaWeights[2] * channels[2].inkSums[half][k];
          }
        }
        drawn = FillGlyph(cell, channels);
        if (palette.colors != TerminalColors::TrueColor && wanted != CellColors::None) {
          drawn = PaletteGlyph(drawn, channels, palette);
        }
      } else {
        drawn = {PlainGlyph(luma.data(), inkOfLuma), rows.Mean(x), kNoColor};
      }
      const char symbol = SymbolGlyphs::SymbolOf(drawn.glyph);
      line[x] = symbol;
      if (!listed[static_cast<unsigned char>(symbol)]) {
        listed[static_cast<unsigned char>(symbol)] = true;
        list.AddIfAbsent(ByteStringView(&symbol, 1));
      }
      if (wanted == CellColors::Look) {
        // The cell from afar: its paper with its glyph's share of ink.
        const double share = InkShare(drawn.glyph);
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
