#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "pixels/picture_reader.h"

namespace morvexa {

// The colors of a picture's rows, asked for one row at a time and mostly in
// order, by the passes that go over a picture more than once (color
// reduction, then the cells' own colors): from a picture held whole, or
// read again from the start for each pass, a few rows kept, so that nothing
// the size of the picture is held. Not for more than one thread at once.
class PixelRows {
 public:
  // The rows of a picture held whole.
  explicit PixelRows(const PixelImage& whole);
  // The rows of the picture open makes, read again from its first row (a
  // new reader from open) whenever a row before those kept is asked for;
  // first, when given, is the reader of the first pass.
  explicit PixelRows(std::function<std::unique_ptr<PictureReader>()> open,
                     std::unique_ptr<PictureReader> first = nullptr);

  // Whether the picture is held whole: its rows may be read by several
  // threads at once, in any order.
  bool Whole() const { return whole_ != nullptr; }

  std::size_t Width() const { return width_; }
  std::size_t Height() const { return height_; }
  // The colors of row y (valid until the next call).
  const Rgb* Row(std::size_t y);

 private:
  void Restart();

  const PixelImage* whole_ = nullptr;
  std::function<std::unique_ptr<PictureReader>()> open_;
  std::unique_ptr<PictureReader> reader_;
  RowBand band_;
  std::size_t inBand_ = 0;  // the next row of the band to take
  std::size_t width_ = 0, height_ = 0;
  // The last rows read, row next_ - 1 last, in a ring of kKept.
  static constexpr std::size_t kKept = 4;
  std::vector<Rgb> kept_;
  std::size_t next_ = 0;
};

}  // namespace morvexa
