#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pixels/pixel_image.h"

namespace morvexa {

// How the pixels of a row are stored.
enum class PixelForm {
  Bgr24,    // blue, green, red bytes
  Bgrx32,   // blue, green, red and an ignored byte
  Rgb32,    // an Rgb value
  Index8,   // one byte, an index into the reader's palette
  Index16,  // two bytes (little-endian), an index into the reader's palette
};

constexpr std::size_t BytesPerPixel(PixelForm form) {
  switch (form) {
    case PixelForm::Bgr24: return 3;
    case PixelForm::Index8: return 1;
    case PixelForm::Index16: return 2;
    case PixelForm::Bgrx32:
    case PixelForm::Rgb32: break;
  }
  return 4;
}

// Rows handed over by a reader, top first: where each row's pixels are,
// in memory that the band owns.
struct RowBand {
  PixelForm form = PixelForm::Rgb32;
  std::vector<const unsigned char*> rows;
  // The memory the rows point into; readers reuse it from band to band.
  // Past the last row's pixels it holds at least kSlack readable bytes, so
  // that a pixel may be read as a whole 32-bit word.
  std::vector<unsigned char> storage;
  static constexpr std::size_t kSlack = 4;
};

// A picture, read row by row from the top, a band of rows at a time.
//
// Readers of untrusted files check every size before allocating anything
// from it (see ReadSettings).
class PictureReader {
 public:
  virtual ~PictureReader() = default;

  std::size_t Width() const { return width_; }
  std::size_t Height() const { return height_; }
  PixelForm Form() const { return form_; }
  // The colors of Index8 (256 entries) and Index16 (65,536) pixels; black
  // past the picture's own table.
  const std::vector<Rgb>& Palette() const { return palette_; }

  // Reads the next rows, at most count, into band; returns how many (0 when
  // every row has been read).
  virtual std::size_t ReadRows(std::size_t count, RowBand& band) = 0;
  // Passes over the next count rows (at most as many as are left).
  virtual void SkipRows(std::size_t count);
  // Says, before the first row is read, that a picture of at least width x
  // height pixels would do: a reader that can decode a smaller picture
  // faster may then do so (Width and Height change).
  virtual void PreferAtLeast(std::size_t width, std::size_t height);
  // Says, before the first row is read, that only the picture's area
  // averages at columns x lines are wanted (see AreaAverage). A reader that
  // would otherwise hold the whole picture (interlaced rows) may make them
  // itself as its pixels come, exactly as AreaAverage would: it returns
  // true, and its rows are those averages.
  virtual bool AverageTo(std::size_t columns, std::size_t lines);

  // How many rows a band holds to be a few hundred kilobytes.
  std::size_t RowsPerBand() const;

 protected:
  std::size_t width_ = 0;
  std::size_t height_ = 0;
  PixelForm form_ = PixelForm::Rgb32;
  std::vector<Rgb> palette_;
};

// The colors of a row's width pixels, stored in form (palette: the reader's).
void RowColors(PixelForm form, const unsigned char* row, std::size_t width, const std::vector<Rgb>& palette, Rgb* out);

// Every pixel of the picture, read to its end.
PixelImage ReadWhole(PictureReader& picture);

// A picture held in memory, for the tests and for what decodes whole.
class MemoryPicture final : public PictureReader {
 public:
  explicit MemoryPicture(PixelImage image);
  std::size_t ReadRows(std::size_t count, RowBand& band) override;

 private:
  PixelImage image_;
  std::size_t next_ = 0;
};

// A picture of palette indices held in memory, one byte a pixel, row after
// row; indices holds kSlack bytes more than the pixels.
class IndexedMemoryPicture final : public PictureReader {
 public:
  IndexedMemoryPicture(std::size_t width, std::size_t height, std::vector<unsigned char> indices,
                       std::vector<Rgb> palette);
  std::size_t ReadRows(std::size_t count, RowBand& band) override;

 private:
  std::vector<unsigned char> indices_;
  std::size_t next_ = 0;
};

}  // namespace morvexa
