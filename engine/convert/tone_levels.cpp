#include "convert/tone_levels.h"

#include <algorithm>
#include <vector>

#include "convert/brightness_ramp.h"

namespace morvexa {

namespace {

// The share of the stretched range, at its light end, that is clean paper.
constexpr float kPaper = 0.1f;
// The percentiles stretched to black and to white.
constexpr double kLowPercentile = 0.05, kHighPercentile = 0.95;

// The luma below which a share of the counts lies, interpolated within its
// step of the histogram.
float Percentile(const std::array<std::uint64_t, 256>& counts, std::uint64_t total, double share) {
  const double wanted = share * static_cast<double>(total);
  double below = 0;
  for (std::size_t v = 0; v < counts.size(); ++v) {
    const auto here = static_cast<double>(counts[v]);
    if (below + here > wanted) return static_cast<float>(v) + static_cast<float>((wanted - below) / here);
    below += here;
  }
  return 255;
}

}  // namespace

ToneLevels ToneLevels::Of(PictureReader& cells) {
  std::array<std::uint64_t, 256> counts{};
  std::uint64_t total = 0;
  RowBand band;
  std::vector<Rgb> row(cells.Width());
  while (cells.ReadRows(cells.RowsPerBand(), band) > 0) {
    for (const unsigned char* pixels : band.rows) {
      RowColors(band.form, pixels, row.size(), cells.Palette(), row.data());
      for (const Rgb c : row) ++counts[Brightness(c)];
      total += row.size();
    }
  }
  ToneLevels levels;
  if (total == 0) return levels;
  levels.low_ = Percentile(counts, total, kLowPercentile);
  levels.high_ = std::max(Percentile(counts, total, kHighPercentile), levels.low_ + 1);
  return levels;
}

float ToneLevels::Ink(float luma, bool invert) const {
  float lightness = std::clamp((luma - low_) / (high_ - low_), 0.0f, 1.0f);
  if (invert) lightness = 1 - lightness;
  return std::clamp((1 - kPaper - lightness) / (1 - kPaper), 0.0f, 1.0f);
}

}  // namespace morvexa
