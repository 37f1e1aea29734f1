#include "convert/shapes_to_art.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "convert/cell_cache.h"
#include "convert/cell_fit.h"
#include "convert/cell_rows.h"
#include "convert/float_lanes.h"
#include "convert/ink_and_paper.h"
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

using Lanes = std::array<float, kLanes>;

// What scoring needs of each glyph: the share of its ink in each half and
// in the whole cell, and the variance of its ink in each half.
struct GlyphTable {
  std::array<Lanes, 2> halfShare{}, halfVariance{};
  Lanes share{};

  explicit GlyphTable(const SymbolGlyphs& glyphs) {
    for (std::size_t k = 0; k < kCount; ++k) {
      for (std::size_t half = 0; half < 2; ++half) {
        const float p = glyphs.inked[k][half] / kHalf;
        halfShare[half][k] = p;
        // Ink in levels of gray varies less than ink all or nothing.
        halfVariance[half][k] = glyphs.inkScale == 1 ? p * (1 - p) : glyphs.inkedSquares[k][half] / kHalf - p * p;
      }
      share[k] = (glyphs.inked[k][0] + glyphs.inked[k][1]) / SymbolGlyphs::kPixels;
    }
  }
};

// The sums of samples x (0-255) with each glyph's ink, in each half, as
// parts (0-1) of the half's samples.
using InkSums = std::array<Lanes, 2>;

// Made twice, for processors with AVX2 (twice as many products an
// instruction) and for any other, the one to run chosen as the program
// loads.
__attribute__((target_clones("avx2", "default"))) void SumWithInk(const SymbolGlyphs& glyphs, const std::int16_t* x,
                                                                  InkSums& sums) {
  const float whole = kHalf * 255.0f * static_cast<float>(glyphs.inkScale);
  for (std::size_t half = 0; half < 2; ++half) {
    const std::int16_t* part = x + half * kHalf;
    // The inner loop of the conversion: sums of 16-bit products, which the
    // compiler turns into vector multiply-adds.
    for (std::size_t k = 0; k < kCount; ++k) {
      const std::int16_t* ink = glyphs.ink[k].data() + half * kHalf;
      std::int32_t inked = 0;
      for (int i = 0; i < kHalf; ++i) inked += static_cast<std::int32_t>(part[i]) * ink[i];
      sums[half][k] = static_cast<float>(inked) / whole;
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
void Likeness(const GlyphTable& table, const CellLumas& cell, const Lanes& paper, const Lanes& difference, float c2,
              Lanes& score) {
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
// (a cell's own tones), or, for a glyph, as paper (edgesBlank). A row of
// the cell is one vector of eight; each value is summed in the same order
// as one at a time. With AVX2 where the processor has it.
__attribute__((target_clones("avx2", "default"))) void Blur(const float* in, float* out, bool edgesBlank) {
  static const std::array<float, kBlurReach + 1> kernel = BlurKernel();
  constexpr int w = SymbolGlyphs::kWidth, h = SymbolGlyphs::kHeight, r = kBlurReach;
  static_assert(w == 8, "a row of a cell is one vector");
  constexpr int paddedW = w + 2 * r, paddedH = h + 2 * r;
  // The values with kBlurReach more each side, then blurred across, then
  // down.
  float padded[paddedH][paddedW];
  for (int y = 0; y < paddedH; ++y) {
    const bool outside = y < r || y >= r + h;
    float* row = padded[y];
    if (outside && edgesBlank) {
      std::fill(row, row + paddedW, 0.0f);
      continue;
    }
    const float* from = in + std::clamp(y - r, 0, h - 1) * w;
    std::fill(row, row + r, edgesBlank ? 0.0f : from[0]);
    std::copy(from, from + w, row + r);
    std::fill(row + r + w, row + paddedW, edgesBlank ? 0.0f : from[w - 1]);
  }
  Lanes8 across[paddedH];
  for (int y = 0; y < paddedH; ++y) {
    const float* at = padded[y] + r;
    Lanes8 centre, left, right;
    LoadLanes(centre, at);
    Lanes8 sum = kernel[0] * centre;
    for (int i = 1; i <= r; ++i) {
      LoadLanes(left, at - i);
      LoadLanes(right, at + i);
      sum += kernel[static_cast<std::size_t>(i)] * (left + right);
    }
    across[y] = sum;
  }
  for (int y = 0; y < h; ++y) {
    const Lanes8* at = across + y + r;
    Lanes8 sum = kernel[0] * at[0];
    for (int i = 1; i <= r; ++i) sum += kernel[static_cast<std::size_t>(i)] * (at[-i] + at[i]);
    StoreLanes(out + y * w, sum);
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

  BlurredGlyphs(const SymbolGlyphs& glyphs, const GlyphTable& table) {
    const float scale = static_cast<float>(glyphs.inkScale);
    for (std::size_t k = 0; k < kCount; ++k) {
      // Of the built-in font, the symbols terminal fonts draw alike; of
      // another, those it draws.
      used[k] = glyphs.font.empty()
                    ? kUnlikeInTerminals.find(SymbolGlyphs::SymbolOf(static_cast<int>(k))) == std::string_view::npos
                    : glyphs.drawn[k];
      float ink[SymbolGlyphs::kPixels], patch[SymbolGlyphs::kPixels];
      for (int i = 0; i < SymbolGlyphs::kPixels; ++i) ink[i] = glyphs.ink[k][static_cast<std::size_t>(i)] / scale;
      Blur(ink, patch, true);
      for (std::size_t i = 0; i < SymbolGlyphs::kPixels; ++i) {
        byPixel[i][k] = patch[i];
        squares[k] += patch[i] * patch[i];
      }
      if (used[k]) densest = std::max(densest, table.share[k]);
    }
  }
};

// The sums of a cell's patch of ink with every glyph's, the glyphs side by
// side in vectors.
__attribute__((target_clones("avx2", "default"))) void SumWithPatches(const BlurredGlyphs& blurred, const float* cell,
                                                                      Lanes& sums) {
  // Summed in a vector of its own, which nothing else can alias.
  Lanes sum{};
  for (std::size_t i = 0; i < SymbolGlyphs::kPixels; ++i) {
    const float v = cell[i];
    const Lanes& glyphs = blurred.byPixel[i];
    for (std::size_t k = 0; k < kLanes; ++k) sum[k] += v * glyphs[k];
  }
  sums = sum;
}

// Everything matching needs of a font's glyphs, made once for each.
struct GlyphMatching {
  const SymbolGlyphs& glyphs;
  GlyphTable table;
  BlurredGlyphs blurred;
  std::vector<FitShape> shapes;  // the glyphs as cells of fill are fitted with

  explicit GlyphMatching(const SymbolGlyphs& of) : glyphs(of), table(of), blurred(of, table) {
    const float scale = static_cast<float>(of.inkScale);
    for (std::size_t k = 0; k < kCount; ++k) {
      if (!of.font.empty() && !of.drawn[k]) continue;
      FitShape shape{};
      for (std::size_t i = 0; i < SymbolGlyphs::kPixels; ++i) shape[i] = of.ink[k][i] / scale;
      shapes.push_back(shape);
      glyphOfShape.push_back(static_cast<int>(k));
    }
  }
  std::vector<int> glyphOfShape;
};

const GlyphMatching& MatchingOf(const SymbolGlyphs& glyphs) {
  static std::mutex mutex;
  static std::map<const SymbolGlyphs*, std::unique_ptr<const GlyphMatching>> made;
  const std::lock_guard lock(mutex);
  auto& kept = made[&glyphs];
  if (!kept) kept = std::make_unique<const GlyphMatching>(glyphs);
  return *kept;
}

// The glyph of a plain cell, dark ink on light paper (invert: light on
// dark), from its samples' lumas through the picture's levels: the glyph
// whose patch of ink is nearest the cell's, the cell's ink being the
// densest glyph's at the darkest tones, with a little of their structural
// similarity.
// What a luma asks of a plain cell: its share of ink, through the
// picture's levels, and the cell drawn in that ink as a luma of paper.
struct Tones {
  std::array<float, 256> ink{};
  std::array<std::int16_t, 256> paper{};
};

int PlainGlyph(const GlyphMatching& matching, const std::int16_t* luma, const Tones& tones) {
  const BlurredGlyphs& blurred = matching.blurred;
  float ink[SymbolGlyphs::kPixels], patch[SymbolGlyphs::kPixels];
  std::array<std::int16_t, SymbolGlyphs::kPixels> paper;
  for (int i = 0; i < SymbolGlyphs::kPixels; ++i) {
    ink[i] = tones.ink[static_cast<std::size_t>(luma[i])] * blurred.densest;
    paper[static_cast<std::size_t>(i)] = tones.paper[static_cast<std::size_t>(luma[i])];
  }
  Blur(ink, patch, false);
  Lanes sums, score, white, black;
  SumWithPatches(blurred, patch, sums);
  // Structure: each glyph drawn black on white, against the cell as its
  // levels make it, paper where no ink.
  CellLumas cell;
  cell.Measure(paper.data());
  SumWithInk(matching.glyphs, paper.data(), cell.inkSums);
  white.fill(1.0f);
  black.fill(-1.0f);
  Likeness(matching.table, cell, white, black, kC2, score);
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

// A cell: its glyph, and the ink and paper it is drawn in.
struct Drawn {
  int glyph = 0;
  Rgb ink = 0, paper = 0;
};

}  // namespace

void ShapesToArt(PictureReader& samples, std::size_t columns, bool fill, bool invert, const ToneLevels& levels,
                 const TerminalPalette& palette, const SymbolGlyphs& glyphs, CharList& list, ArtSink& sink) {
  const GlyphMatching& matching = MatchingOf(glyphs);
  sink.Clear();
  list.Clear();
  Tones tones;
  for (std::size_t v = 0; v < tones.ink.size(); ++v) {
    tones.ink[v] = levels.Ink(static_cast<float>(v), invert);
    tones.paper[v] = static_cast<std::int16_t>(std::lround((1 - tones.ink[v]) * 255));
  }
  const CellColors wanted = sink.Colors();
  CellRows rows(samples, columns, Shapes::kSamples.wide, Shapes::kSamples.high);
  ByteString line(columns, ' ');
  std::vector<Rgb> inks(columns), papers(columns);
  std::array<bool, 256> listed{};
  std::array<std::int16_t, SymbolGlyphs::kPixels> luma;
  std::array<float, SymbolGlyphs::kPixels> red, green, blue;
  // Cells of fill are fitted with the glyphs, in the colors of the
  // terminal the art is shown on (true color where none shows).
  std::optional<CellFit> fit = fill ? std::optional<CellFit>(std::in_place, matching.shapes,
                                                             wanted == CellColors::None ? TerminalPalette{} : palette)
                                    : std::nullopt;
  CellCache<SymbolGlyphs::kPixels, int> plainSeen;
  for (std::size_t y = 0; rows.Next(); ++y) {
    for (std::size_t x = 0; x < columns; ++x) {
      Drawn drawn;
      if (fill) {
        rows.Samples(x, red.data(), green.data(), blue.data());
        const CellFit::Drawn fitted = fit->Fit(red.data(), green.data(), blue.data());
        drawn = {matching.glyphOfShape[fitted.shape], fitted.ink, fitted.paper};
      } else {
        rows.Lumas(x, luma.data());
        CellCache<SymbolGlyphs::kPixels, int>::Key key;
        std::copy(luma.begin(), luma.end(), key.begin());
        const int* seen = plainSeen.Find(key);
        const int glyph = seen ? *seen : PlainGlyph(matching, luma.data(), tones);
        if (!seen) plainSeen.Keep(key, glyph);
        drawn = {glyph, rows.Mean(x), kNoColor};
      }
      const char symbol = SymbolGlyphs::SymbolOf(drawn.glyph);
      line[x] = symbol;
      if (!listed[static_cast<unsigned char>(symbol)]) {
        listed[static_cast<unsigned char>(symbol)] = true;
        list.AddIfAbsent(ByteStringView(&symbol, 1));
      }
      if (wanted == CellColors::Look) {
        // The cell from afar: its paper with its glyph's share of ink.
        const double share = matching.table.share[static_cast<std::size_t>(drawn.glyph)];
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
