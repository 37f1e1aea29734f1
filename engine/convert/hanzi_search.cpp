#include "convert/hanzi_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace morvexa {

namespace {

// The bounds are worked out in floats, rounded differently from the
// distances: a glyph is passed over only when its bound exceeds the best
// distance by more than their rounding.
constexpr float kRounding = 1e-4f;
// The distance is summed in this many lanes, which vectors hold.
constexpr std::size_t kLanes = 8;
// Pixels between looks at the sum so far, when measuring may stop early.
constexpr std::size_t kStretch = 64;

bool Better(float distance, std::size_t k, float best, std::size_t bestK) {
  return distance < best || (distance == best && k < bestK);
}

float Total(const std::array<float, kLanes>& lanes) {
  float sum = 0;
  for (const float v : lanes) sum += v;
  return sum;
}

// The squared distance of two patches; stopped, with what it has summed so
// far, once that passes beyond: every term is at least zero, so the whole
// would have been larger still.
__attribute__((target_clones("avx2", "default"))) float DistanceUpTo(const float* a, const float* b, float beyond) {
  std::array<float, kLanes> lanes{};
  for (std::size_t from = 0; from < HanziGlyphs::kPixels; from += kStretch) {
    for (std::size_t i = from; i < from + kStretch; i += kLanes) {
      for (std::size_t j = 0; j < kLanes; ++j) {
        const float d = a[i + j] - b[i + j];
        lanes[j] += d * d;
      }
    }
    if (const float sum = Total(lanes); sum > beyond) return sum;
  }
  return Total(lanes);
}

// The bound of each glyph's distance from the cell.
__attribute__((target_clones("avx2", "default"))) void Bounds(const HanziGlyphs& glyphs, const float* cellBlocks,
                                                              float cellResidue, float* bounds) {
  const std::size_t count = glyphs.Count();
  constexpr float kBlockPixels = HanziGlyphs::kBlockSide * HanziGlyphs::kBlockSide;
  std::fill(bounds, bounds + count, 0.0f);
  for (std::size_t b = 0; b < HanziGlyphs::kBlocks; ++b) {
    const float* sums = glyphs.BlockOfEach(b).data();
    const float cell = cellBlocks[b];
    for (std::size_t k = 0; k < count; ++k) {
      const float d = sums[k] - cell;
      bounds[k] += d * d;
    }
  }
  const float* residues = glyphs.Residues().data();
  for (std::size_t k = 0; k < count; ++k) {
    const float d = residues[k] - cellResidue;
    bounds[k] = bounds[k] / kBlockPixels + d * d;
  }
}

}  // namespace

float PatchDistance(const HanziGlyphs::Patch& a, const HanziGlyphs::Patch& b) {
  return DistanceUpTo(a.data(), b.data(), std::numeric_limits<float>::infinity());
}

std::size_t NearestHanziMeasuringAll(const HanziGlyphs& glyphs, const HanziGlyphs::Patch& cell) {
  std::size_t best = 0;
  float bestDistance = std::numeric_limits<float>::infinity();
  for (std::size_t k = 0; k < glyphs.Count(); ++k) {
    const float distance = PatchDistance(glyphs.PatchOf(k), cell);
    if (Better(distance, k, bestDistance, best)) bestDistance = distance, best = k;
  }
  return best;
}

std::size_t NearestHanzi(const HanziGlyphs& glyphs, const HanziGlyphs::Patch& cell) {
  const HanziGlyphs::BlockSums cellBlocks = HanziGlyphs::SumBlocks(cell.data());
  const std::size_t count = glyphs.Count();
  thread_local std::vector<float> bounds;
  bounds.resize(count);
  Bounds(glyphs, cellBlocks.data(), HanziGlyphs::Residue(cell.data(), cellBlocks), bounds.data());
  const std::size_t leastK = static_cast<std::size_t>(std::min_element(bounds.begin(), bounds.end()) - bounds.begin());
  std::size_t best = leastK;
  float bestDistance = PatchDistance(glyphs.PatchOf(leastK), cell);
  const auto passed = [&](float bound) { return bound * (1 - kRounding) > bestDistance; };
  // The glyphs whose bound is within the best distance so far, measured
  // from the least bound up, each only as far as it may still be nearest.
  thread_local std::vector<std::size_t> near;
  near.clear();
  for (std::size_t k = 0; k < count; ++k) {
    if (k != leastK && !passed(bounds[k])) near.push_back(k);
  }
  std::sort(near.begin(), near.end(), [&](std::size_t a, std::size_t b) { return bounds[a] < bounds[b]; });
  for (const std::size_t k : near) {
    if (passed(bounds[k])) break;
    const float distance = DistanceUpTo(glyphs.PatchOf(k).data(), cell.data(), bestDistance);
    if (Better(distance, k, bestDistance, best)) bestDistance = distance, best = k;
  }
  return best;
}

}  // namespace morvexa
