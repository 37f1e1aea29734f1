#include "convert/read_ahead.h"

#include <optional>

#include "convert/bands_ahead.h"

namespace morvexa {

namespace {

class ReadAheadReader final : public PictureReader {
 public:
  explicit ReadAheadReader(std::unique_ptr<PictureReader> picture)
      : picture_(std::move(picture)), bands_(kBandsAhead + 1, [this](std::size_t index) { return Read(index); }) {
    width_ = picture_->Width();
    height_ = picture_->Height();
    form_ = PixelForm::Rgb32;
  }

  std::size_t ReadRows(std::size_t count, RowBand& band) override {
    band.form = PixelForm::Rgb32;
    band.rows.clear();
    if (current_ == nullptr || current_->rows == next_) {
      const std::optional<std::size_t> index = bands_.Next();
      if (!index) return 0;
      current_ = &slots_[*index];
      next_ = 0;
    }
    // The rows stay where they were read to until the next call.
    const std::size_t taken = std::min(count, current_->rows - next_);
    for (std::size_t i = 0; i < taken; ++i) {
      band.rows.push_back(reinterpret_cast<const unsigned char*>(current_->pixels.data() + (next_ + i) * width_));
    }
    next_ += taken;
    return taken;
  }

 private:
  // Rows of colors, read ahead.
  struct Rows {
    std::vector<Rgb> pixels;
    std::size_t rows = 0;
  };

  // Reads the next band into a slot, as colors. Bands are read one at a
  // time, so they share the rows the picture reads them to.
  bool Read(std::size_t index) {
    Rows& rows = slots_[index];
    rows.rows = picture_->ReadRows(picture_->RowsPerBand(), read_);
    rows.pixels.resize(rows.rows * picture_->Width());
    for (std::size_t i = 0; i < rows.rows; ++i) {
      RowColors(read_.form, read_.rows[i], picture_->Width(), picture_->Palette(),
                rows.pixels.data() + i * picture_->Width());
    }
    return rows.rows > 0;
  }

  std::unique_ptr<PictureReader> picture_;
  RowBand read_;
  Rows slots_[kBandsAhead + 1];
  const Rows* current_ = nullptr;  // the band rows are handed out from
  std::size_t next_ = 0;           // its next row
  BandsAhead bands_;               // made last, once everything it uses is made
};

}  // namespace

std::unique_ptr<PictureReader> ReadAhead(std::unique_ptr<PictureReader> picture) {
  return std::make_unique<ReadAheadReader>(std::move(picture));
}

}  // namespace morvexa
