#pragma once

#include <cstddef>
#include <vector>

#include "pixels/picture_reader.h"

namespace morvexa {

// The cells of art read from a picture sampled finer than the art: each
// cell width x height samples (the picture area-averaged to columns x
// width by lines x height pixels), a line of cells at a time.
class CellRows {
 public:
  CellRows(PictureReader& samples, std::size_t columns, int width, int height);

  // Reads the next line of cells; false when the picture has ended.
  bool Next();
  // The samples of cell x of the line, row by row, each channel 0-255.
  void Samples(std::size_t x, float* red, float* green, float* blue) const;
  // The same in 16 bits each.
  void Samples(std::size_t x, std::int16_t* red, std::int16_t* green, std::int16_t* blue) const;
  // The same as 8-bit lumas (Rec. 709 weights), 16 bits each.
  void Lumas(std::size_t x, std::int16_t* luma) const;
  // The mean color of cell x.
  Rgb Mean(std::size_t x) const;

  std::size_t Columns() const { return columns_; }

 private:
  PictureReader& samples_;
  std::size_t columns_;
  int width_, height_;
  std::vector<Rgb> rows_;  // height rows of columns x width samples
  RowBand band_;
  std::size_t bandNext_ = 0;
};

}  // namespace morvexa
