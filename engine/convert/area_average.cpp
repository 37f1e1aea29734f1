#include "convert/area_average.h"

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
    std::vector<std::uint64_t> cell(3 * width_);
    for (std::size_t i = 0; i < count; ++i) {
      std::fill(cell.begin(), cell.end(), 0);
      for (const Share& line : lineShares_[next_ + i]) {
        const std::vector<std::uint64_t>& row = RowSums(line.source);
        for (std::size_t k = 0; k < cell.size(); ++k) cell[k] += row[k] * line.amount;
      }
      unsigned char* out = band.storage.data() + i * width_ * 4;
      for (std::size_t x = 0; x < width_; ++x) {
        auto channel = [&](int c) { return static_cast<Rgb>(Rounded(cell[3 * x + c])); };
        const Rgb color = channel(0) << 16 | channel(1) << 8 | channel(2);
        std::memcpy(out + 4 * x, &color, 4);
      }
      band.rows.push_back(out);
    }
    next_ += count;
    return count;
  }

 private:
  // sum / area_, rounded to the nearest: by the inverse, which is a few
  // times quicker than dividing, then set right where rounding put it one
  // off (sums stay far below 2^53, so it is never more).
  std::uint64_t Rounded(std::uint64_t sum) const {
    const std::uint64_t n = sum + area_ / 2;
    auto q = static_cast<std::uint64_t>(static_cast<double>(n) * inverseArea_);
    if (q * area_ > n) --q;
    if ((q + 1) * area_ <= n) ++q;
    return q;
  }

  // The row of the picture at y summed across each target column, each
  // pixel weighted by its share; rows are asked for in order, and the
  // last one is kept for the next target row that shares it.
  const std::vector<std::uint64_t>& RowSums(std::size_t y) {
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
      std::uint64_t r = 0, g = 0, b = 0;
      for (const Share& share : columnShares_[x]) {
        const Rgb c = sourceRow_[share.source];
        r += (c >> 16 & 0xFF) * share.amount;
        g += (c >> 8 & 0xFF) * share.amount;
        b += (c & 0xFF) * share.amount;
      }
      sums_[3 * x] = r, sums_[3 * x + 1] = g, sums_[3 * x + 2] = b;
    }
    summedRow_ = y;
    return sums_;
  }

  std::unique_ptr<PictureReader> picture_;
  std::vector<std::vector<Share>> columnShares_, lineShares_;
  std::vector<Rgb> sourceRow_;
  std::vector<std::uint64_t> sums_;
  std::uint64_t area_ = 1;
  double inverseArea_ = 1;
  RowBand band_;
  std::size_t bandNext_ = 0, rowsRead_ = 0, summedRow_ = ~std::size_t{0}, next_ = 0;
};

}  // namespace

std::unique_ptr<PictureReader> AreaAverage(std::unique_ptr<PictureReader> picture, std::size_t columns,
                                           std::size_t lines) {
  return std::make_unique<AreaAverageReader>(std::move(picture), columns, lines);
}

}  // namespace morvexa
