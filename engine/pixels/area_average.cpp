#include "pixels/area_average.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace morvexa {

namespace {

// How much of each source pixel (or row) falls into each target one: on
// a common scale where a source pixel is target-count units long and a
// target one source-count units, so that every share is a whole number.
struct Share {
  std::size_t source;
  std::uint64_t amount;
};
std::vector<std::vector<Share>> Shares(std::size_t sourceCount, std::size_t targetCount) {
  std::vector<std::vector<Share>> shares(targetCount);
  for (std::size_t t = 0; t < targetCount; ++t) {
    const std::uint64_t begin = std::uint64_t{t} * sourceCount, end = begin + sourceCount;
    for (std::size_t s = begin / targetCount; s < sourceCount && std::uint64_t{s} * targetCount < end; ++s) {
      const std::uint64_t from = std::max<std::uint64_t>(begin, std::uint64_t{s} * targetCount);
      const std::uint64_t to = std::min<std::uint64_t>(end, std::uint64_t{s + 1} * targetCount);
      if (to > from) shares[t].push_back({s, to - from});
    }
  }
  return shares;
}

// Four doubles worked on together: one AVX register, or two SSE ones.
using Doubles4 = double __attribute__((vector_size(32)));

// Each of count sums divided by area and rounded to the nearest whole
// number, exactly as whole numbers divide: by the inverse, quicker than
// dividing, then set right where rounding put it one off (the sums are
// whole numbers far below 2^53, so it is never more). With AVX2 where the
// processor has it.
__attribute__((target_clones("avx2", "default"))) void Round(const double* sums, Rgb* out, std::size_t count,
                                                             double area, double inverse) {
  const double half = std::floor(area / 2);
  // Four at a time in vectors; the sums are never negative, so that
  // dropping the fraction is the floor.
  using Ints4 = std::int32_t __attribute__((vector_size(16)));
  using Bits4 = std::int64_t __attribute__((vector_size(32)));
  // A comparison gives all bits set where it holds: with these, 1 there.
  const Bits4 one = (Bits4)(Doubles4{1, 1, 1, 1});
  std::size_t k = 0;
  for (; k + 4 <= count; k += 4) {
    Doubles4 n;
    std::memcpy(&n, sums + k, sizeof n);
    n += half;
    Doubles4 q = __builtin_convertvector(__builtin_convertvector(n * inverse, Ints4), Doubles4);
    q -= (Doubles4)((q * area > n) & one);
    q += (Doubles4)(((q + 1) * area <= n) & one);
    const Ints4 rounded = __builtin_convertvector(q, Ints4);
    std::memcpy(out + k, &rounded, sizeof rounded);
  }
  for (; k < count; ++k) {
    const double n = sums[k] + half;
    double q = std::floor(n * inverse);
    q -= q * area > n ? 1.0 : 0.0;
    q += (q + 1) * area <= n ? 1.0 : 0.0;
    out[k] = static_cast<Rgb>(static_cast<std::int32_t>(q));
  }
}

// cell[k] += row[k] x amount for each of count sums: four at a time in a
// vector, each sum made as the plain loop makes it. With AVX2 where the
// processor has it.
__attribute__((target_clones("avx2", "default"))) void AddScaled(const double* __restrict row, double amount,
                                                                 double* __restrict cell, std::size_t count) {
  std::size_t k = 0;
  for (; k + 4 <= count; k += 4) {
    Doubles4 sums, rows;
    std::memcpy(&sums, cell + k, sizeof sums);
    std::memcpy(&rows, row + k, sizeof rows);
    sums += rows * amount;
    std::memcpy(cell + k, &sums, sizeof sums);
  }
  for (; k < count; ++k) cell[k] += row[k] * amount;
}

class AreaAverageReader final : public PictureReader {
 public:
  AreaAverageReader(std::unique_ptr<PictureReader> picture, std::size_t columns, std::size_t lines)
      : picture_(std::move(picture)),
        columnShares_(Shares(picture_->Width(), columns)),
        lineShares_(Shares(picture_->Height(), lines)),
        sourceRow_(picture_->Width()),
        sums_(3 * columns) {
    width_ = columns;
    height_ = lines;
    form_ = PixelForm::Rgb32;
    area_ = std::uint64_t{picture_->Width()} * picture_->Height();
    inverseArea_ = 1.0 / static_cast<double>(area_);
  }

  std::size_t ReadRows(std::size_t count, RowBand& band) override {
    count = std::min(count, height_ - next_);
    band.form = PixelForm::Rgb32;
    band.rows.clear();
    band.storage.resize(count * width_ * 4 + RowBand::kSlack);
    cell_.resize(3 * width_);
    channels_.resize(3 * width_);
    for (std::size_t i = 0; i < count; ++i) {
      unsigned char* out = band.storage.data() + i * width_ * 4;
      band.rows.push_back(out);
      // A row made of the same source rows in the same shares as the one
      // before it (a picture made larger) is that row again.
      const std::vector<Share>& lines = lineShares_[next_ + i];
      if (next_ + i > 0 && SameShares(lines, lineShares_[next_ + i - 1])) {
        std::memcpy(out, i > 0 ? out - width_ * 4 : lastRow_.data(), width_ * 4);
        continue;
      }
      std::fill(cell_.begin(), cell_.end(), 0.0);
      for (const Share& line : lines) {
        const std::vector<double>& row = RowSums(line.source);
        AddScaled(row.data(), static_cast<double>(line.amount), cell_.data(), cell_.size());
      }
      Round(cell_.data(), channels_.data(), cell_.size(), static_cast<double>(area_), inverseArea_);
      for (std::size_t x = 0; x < width_; ++x) {
        const Rgb color = channels_[3 * x] << 16 | channels_[3 * x + 1] << 8 | channels_[3 * x + 2];
        std::memcpy(out + 4 * x, &color, 4);
      }
    }
    if (count > 0) lastRow_.assign(band.rows.back(), band.rows.back() + width_ * 4);
    next_ += count;
    return count;
  }

 private:
  // The row of the picture at y summed across each target column, each
  // pixel weighted by its share; rows are asked for in order, and the
  // last one is kept for the next target row that shares it.
  const std::vector<double>& RowSums(std::size_t y) {
    if (y == summedRow_) return sums_;
    while (rowsRead_ <= y) {
      if (bandNext_ == band_.rows.size()) {
        bandNext_ = 0;
        if (picture_->ReadRows(picture_->RowsPerBand(), band_) == 0) throw std::logic_error("AreaAverage: rows ended");
      }
      RowColors(band_.form, band_.rows[bandNext_++], picture_->Width(), picture_->Palette(), sourceRow_.data());
      ++rowsRead_;
    }
    for (std::size_t x = 0; x < width_; ++x) {
      double r = 0, g = 0, b = 0;
      for (const Share& share : columnShares_[x]) {
        const Rgb c = sourceRow_[share.source];
        const auto amount = static_cast<double>(share.amount);
        r += (c >> 16 & 0xFF) * amount;
        g += (c >> 8 & 0xFF) * amount;
        b += (c & 0xFF) * amount;
      }
      sums_[3 * x] = r, sums_[3 * x + 1] = g, sums_[3 * x + 2] = b;
    }
    summedRow_ = y;
    return sums_;
  }

  static bool SameShares(const std::vector<Share>& a, const std::vector<Share>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const Share& x, const Share& y) { return x.source == y.source && x.amount == y.amount; });
  }

  std::unique_ptr<PictureReader> picture_;
  std::vector<std::vector<Share>> columnShares_, lineShares_;
  std::vector<unsigned char> lastRow_;  // the last row handed out, for the next band
  std::vector<Rgb> sourceRow_;
  std::vector<double> sums_, cell_;  // whole numbers, exact: below 2^53
  std::vector<Rgb> channels_;
  std::uint64_t area_ = 1;
  double inverseArea_ = 1;
  RowBand band_;
  std::size_t bandNext_ = 0, rowsRead_ = 0, summedRow_ = ~std::size_t{0}, next_ = 0;
};

}  // namespace

AreaSums::AreaSums(std::size_t width, std::size_t height, std::size_t columns, std::size_t lines, Frame frame)
    : columns_(columns), area_(std::uint64_t{width} * height), sums_(columns * lines) {
  // A pixel is columns units wide and an average width units: a pixel
  // falls on one average, or on two.
  auto shares = [](std::size_t count, std::size_t targets, std::size_t frameFirst, std::size_t frameCount,
                   std::vector<Share>& out, std::vector<std::uint64_t>& framed) {
    out.resize(count);
    framed.assign(targets, 0);
    for (std::size_t s = 0; s < count; ++s) {
      const std::uint64_t begin = std::uint64_t{s} * targets, end = begin + targets;
      const std::uint64_t first = begin / count;
      const std::uint64_t amount = std::min<std::uint64_t>(end, (first + 1) * count) - begin;
      out[s] = {static_cast<std::uint32_t>(first), amount, targets - amount};
      if (s >= frameFirst && s < frameFirst + frameCount) {
        framed[first] += amount;
        if (amount < targets) framed[first + 1] += targets - amount;
      }
    }
  };
  shares(width, columns, frame.left, frame.width, across_, frameAcross_);
  shares(height, lines, frame.top, frame.height, down_, frameDown_);
}

bool AreaSums::Pay(std::size_t width, std::size_t height, std::size_t columns, std::size_t lines,
                   std::size_t bytesAPixel) {
  return columns != 0 && lines != 0 && columns <= width && lines <= height && width < (std::size_t{1} << 32) &&
         sizeof(Sum) * columns * lines < bytesAPixel * width * height;
}

void AreaSums::AverageRows(std::size_t first, std::size_t count, Rgb background, RowBand& band) const {
  band.form = PixelForm::Rgb32;
  band.rows.clear();
  band.storage.resize(count * columns_ * 4 + RowBand::kSlack);
  std::vector<double> cell(3 * columns_);
  std::vector<Rgb> channels(3 * columns_);
  const auto area = static_cast<double>(area_);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t line = first + i;
    for (std::size_t x = 0; x < columns_; ++x) {
      const Sum& sum = sums_[line * columns_ + x];
      const std::uint64_t rest = area_ - frameAcross_[x] * frameDown_[line];
      cell[3 * x] = static_cast<double>(sum.r + (background >> 16 & 0xFF) * rest);
      cell[3 * x + 1] = static_cast<double>(sum.g + (background >> 8 & 0xFF) * rest);
      cell[3 * x + 2] = static_cast<double>(sum.b + (background & 0xFF) * rest);
    }
    Round(cell.data(), channels.data(), cell.size(), area, 1.0 / area);
    unsigned char* out = band.storage.data() + i * columns_ * 4;
    for (std::size_t x = 0; x < columns_; ++x) {
      const Rgb color = channels[3 * x] << 16 | channels[3 * x + 1] << 8 | channels[3 * x + 2];
      std::memcpy(out + 4 * x, &color, 4);
    }
    band.rows.push_back(out);
  }
}

std::unique_ptr<PictureReader> SizedPicture(std::unique_ptr<PictureReader> picture, std::size_t columns,
                                            std::size_t lines, std::size_t preferWidth, std::size_t preferHeight) {
  if (picture->AverageTo(columns, lines)) return picture;
  picture->PreferAtLeast(preferWidth, preferHeight);
  return AreaAverage(std::move(picture), columns, lines);
}

std::unique_ptr<PictureReader> AreaAverage(std::unique_ptr<PictureReader> picture, std::size_t columns,
                                           std::size_t lines) {
  return std::make_unique<AreaAverageReader>(std::move(picture), columns, lines);
}

}  // namespace morvexa
