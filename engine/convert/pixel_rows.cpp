#include "convert/pixel_rows.h"

#include <stdexcept>

namespace morvexa {

PixelRows::PixelRows(const PixelImage& whole) : whole_(&whole), width_(whole.width), height_(whole.height) {}

PixelRows::PixelRows(std::function<std::unique_ptr<PictureReader>()> open, std::unique_ptr<PictureReader> first)
    : open_(std::move(open)), reader_(std::move(first)) {
  if (!reader_) Restart();
  width_ = reader_->Width(), height_ = reader_->Height();
  kept_.resize(kKept * width_);
}

void PixelRows::Restart() {
  reader_ = open_();
  band_.rows.clear();
  inBand_ = 0;
  next_ = 0;
}

const Rgb* PixelRows::Row(std::size_t y) {
  if (whole_) return whole_->Row(y);
  if (y >= height_) throw std::out_of_range("PixelRows: no such row");
  if (y + kKept < next_) Restart();
  while (next_ <= y) {
    if (inBand_ == band_.rows.size()) {
      inBand_ = 0;
      if (reader_->ReadRows(reader_->RowsPerBand(), band_) == 0) throw std::logic_error("PixelRows: rows ended");
    }
    RowColors(band_.form, band_.rows[inBand_++], width_, reader_->Palette(), &kept_[next_ % kKept * width_]);
    ++next_;
  }
  return &kept_[y % kKept * width_];
}

}  // namespace morvexa
