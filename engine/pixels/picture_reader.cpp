#include "pixels/picture_reader.h"

#include <algorithm>

namespace morvexa {

void PictureReader::SkipRows(std::size_t count) {
  RowBand band;
  while (count > 0) {
    const std::size_t read = ReadRows(std::min(count, RowsPerBand()), band);
    if (read == 0) break;
    count -= read;
  }
}

void PictureReader::PreferAtLeast(std::size_t, std::size_t) {}

bool PictureReader::AverageTo(std::size_t, std::size_t) { return false; }

std::size_t PictureReader::RowsPerBand() const {
  constexpr std::size_t kBandBytes = 256 * 1024;
  const std::size_t rowBytes = std::max<std::size_t>(1, width_ * BytesPerPixel(form_));
  return std::clamp<std::size_t>(kBandBytes / rowBytes, 1, std::max<std::size_t>(1, height_));
}

void RowColors(PixelForm form, const unsigned char* row, std::size_t width, const std::vector<Rgb>& palette, Rgb* out) {
  switch (form) {
    case PixelForm::Bgr24:
      for (std::size_t x = 0; x < width; ++x, row += 3) out[x] = static_cast<Rgb>(row[2]) << 16 | row[1] << 8 | row[0];
      break;
    case PixelForm::Bgrx32:
    case PixelForm::Rgb32:
      for (std::size_t x = 0; x < width; ++x, row += 4) out[x] = static_cast<Rgb>(row[2]) << 16 | row[1] << 8 | row[0];
      break;
    case PixelForm::Index8:
      for (std::size_t x = 0; x < width; ++x) out[x] = palette[row[x]];
      break;
    case PixelForm::Index16:
      for (std::size_t x = 0; x < width; ++x) out[x] = palette[row[2 * x] | row[2 * x + 1] << 8];
      break;
  }
}

PixelImage ReadWhole(PictureReader& picture) {
  PixelImage image(picture.Width(), picture.Height());
  RowBand band;
  std::size_t y = 0;
  while (picture.ReadRows(picture.RowsPerBand(), band) > 0) {
    for (const unsigned char* row : band.rows)
      RowColors(band.form, row, image.width, picture.Palette(), image.Row(y++));
  }
  return image;
}

MemoryPicture::MemoryPicture(PixelImage image) : image_(std::move(image)) {
  width_ = image_.width;
  height_ = image_.height;
  form_ = PixelForm::Rgb32;
}

std::size_t MemoryPicture::ReadRows(std::size_t count, RowBand& band) {
  count = std::min(count, height_ - next_);
  band.form = PixelForm::Rgb32;
  band.rows.clear();
  for (std::size_t i = 0; i < count; ++i) {
    band.rows.push_back(reinterpret_cast<const unsigned char*>(image_.Row(next_ + i)));
  }
  next_ += count;
  return count;
}

IndexedMemoryPicture::IndexedMemoryPicture(std::size_t width, std::size_t height, std::vector<unsigned char> indices,
                                           std::vector<Rgb> palette)
    : indices_(std::move(indices)) {
  width_ = width;
  height_ = height;
  form_ = PixelForm::Index8;
  palette_ = std::move(palette);
}

std::size_t IndexedMemoryPicture::ReadRows(std::size_t count, RowBand& band) {
  count = std::min(count, height_ - next_);
  band.form = PixelForm::Index8;
  band.rows.clear();
  for (std::size_t i = 0; i < count; ++i) band.rows.push_back(indices_.data() + (next_ + i) * width_);
  next_ += count;
  return count;
}

}  // namespace morvexa
