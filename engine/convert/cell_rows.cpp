#include "convert/cell_rows.h"

namespace morvexa {

CellRows::CellRows(PictureReader& samples, std::size_t columns, int width, int height)
    : samples_(samples),
      columns_(columns),
      width_(width),
      height_(height),
      rows_(columns * static_cast<std::size_t>(width * height)) {}

bool CellRows::Next() {
  const std::size_t rowSamples = columns_ * static_cast<std::size_t>(width_);
  for (int y = 0; y < height_; ++y) {
    if (bandNext_ == band_.rows.size()) {
      bandNext_ = 0;
      if (samples_.ReadRows(samples_.RowsPerBand(), band_) == 0) return false;
    }
    RowColors(band_.form, band_.rows[bandNext_++], rowSamples, samples_.Palette(),
              rows_.data() + static_cast<std::size_t>(y) * rowSamples);
  }
  return true;
}

void CellRows::Samples(std::size_t x, float* red, float* green, float* blue) const {
  const std::size_t rowSamples = columns_ * static_cast<std::size_t>(width_);
  std::size_t k = 0;
  for (int y = 0; y < height_; ++y) {
    const Rgb* row = rows_.data() + static_cast<std::size_t>(y) * rowSamples + x * static_cast<std::size_t>(width_);
    for (int s = 0; s < width_; ++s, ++k) {
      red[k] = static_cast<float>(row[s] >> 16 & 0xFF);
      green[k] = static_cast<float>(row[s] >> 8 & 0xFF);
      blue[k] = static_cast<float>(row[s] & 0xFF);
    }
  }
}

void CellRows::Samples(std::size_t x, std::int16_t* red, std::int16_t* green, std::int16_t* blue) const {
  const std::size_t rowSamples = columns_ * static_cast<std::size_t>(width_);
  std::size_t k = 0;
  for (int y = 0; y < height_; ++y) {
    const Rgb* row = rows_.data() + static_cast<std::size_t>(y) * rowSamples + x * static_cast<std::size_t>(width_);
    for (int s = 0; s < width_; ++s, ++k) {
      red[k] = static_cast<std::int16_t>(row[s] >> 16 & 0xFF);
      green[k] = static_cast<std::int16_t>(row[s] >> 8 & 0xFF);
      blue[k] = static_cast<std::int16_t>(row[s] & 0xFF);
    }
  }
}

void CellRows::Lumas(std::size_t x, std::int16_t* luma) const {
  const std::size_t rowSamples = columns_ * static_cast<std::size_t>(width_);
  std::size_t k = 0;
  for (int y = 0; y < height_; ++y) {
    const Rgb* row = rows_.data() + static_cast<std::size_t>(y) * rowSamples + x * static_cast<std::size_t>(width_);
    for (int s = 0; s < width_; ++s, ++k) {
      const Rgb c = row[s];
      luma[k] = static_cast<std::int16_t>(((c >> 16 & 0xFF) * 2126 + (c >> 8 & 0xFF) * 7152 + (c & 0xFF) * 722 + 5000) /
                                          10000);
    }
  }
}

Rgb CellRows::Mean(std::size_t x) const {
  const std::size_t rowSamples = columns_ * static_cast<std::size_t>(width_);
  unsigned long sums[3] = {};
  for (int y = 0; y < height_; ++y) {
    const Rgb* row = rows_.data() + static_cast<std::size_t>(y) * rowSamples + x * static_cast<std::size_t>(width_);
    for (int s = 0; s < width_; ++s) {
      sums[0] += row[s] >> 16 & 0xFF, sums[1] += row[s] >> 8 & 0xFF, sums[2] += row[s] & 0xFF;
    }
  }
  const unsigned long n = static_cast<unsigned long>(width_ * height_);
  return static_cast<Rgb>((sums[0] + n / 2) / n) << 16 | static_cast<Rgb>((sums[1] + n / 2) / n) << 8 |
         static_cast<Rgb>((sums[2] + n / 2) / n);
}

}  // namespace morvexa
