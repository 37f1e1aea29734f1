#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "pixels/picture_reader.h"

namespace morvexa {

// A picture made columns x lines in size, each of its pixels the area
// average of exactly the pixels of the picture it covers, partial pixels
// weighted by the share they cover (in exact integer arithmetic, rounded
// once). Read row by row from the picture: the picture's rows are read once
// each, in order, and nothing the size of the picture is held.
std::unique_ptr<PictureReader> AreaAverage(std::unique_ptr<PictureReader> picture, std::size_t columns,
                                           std::size_t lines);

// The picture made columns x lines by area averages: by its reader itself,
// as its pixels come, when it would otherwise hold the whole picture
// (PictureReader::AverageTo); else by AreaAverage, once the reader was told
// that a picture of at least preferWidth x preferHeight would do
// (PictureReader::PreferAtLeast).
std::unique_ptr<PictureReader> SizedPicture(std::unique_ptr<PictureReader> picture, std::size_t columns,
                                            std::size_t lines, std::size_t preferWidth, std::size_t preferHeight);

// The same area averages as AreaAverage, summed as the pixels come in any
// order (the passes of an interlaced picture), for a picture larger than
// the averages on both sides: 24 bytes an average. Pixels of the canvas
// outside the frame the pixels come in take a background color.
class AreaSums {
 public:
  struct Frame {
    std::size_t left = 0, top = 0, width = 0, height = 0;
  };
  AreaSums() = default;
  // A width x height canvas averaged to columns x lines (no larger than it),
  // its pixels given within frame.
  AreaSums(std::size_t width, std::size_t height, std::size_t columns, std::size_t lines, Frame frame);

  // Whether the sums take less memory than a width x height picture held
  // at bytesAPixel, and can be made.
  static bool Pay(std::size_t width, std::size_t height, std::size_t columns, std::size_t lines,
                  std::size_t bytesAPixel);

  bool Empty() const { return sums_.empty(); }
  // The pixel at x, y of the canvas.
  void Add(std::size_t x, std::size_t y, Rgb color) {
    const Share& across = across_[x];
    const Share& down = down_[y];
    AddTo(down.first * columns_ + across.first, color, across.amount * down.amount);
    if (across.rest != 0) AddTo(down.first * columns_ + across.first + 1, color, across.rest * down.amount);
    if (down.rest != 0) {
      AddTo((down.first + 1) * columns_ + across.first, color, across.amount * down.rest);
      if (across.rest != 0) AddTo((down.first + 1) * columns_ + across.first + 1, color, across.rest * down.rest);
    }
  }
  // count rows of the averages from first, as a band, the canvas outside
  // the frame taking background.
  void AverageRows(std::size_t first, std::size_t count, Rgb background, RowBand& band) const;

 private:
  // Where a pixel of the canvas falls on the averages: its first target and
  // its share there, and the share it has in the next (0: none).
  struct Share {
    std::uint32_t first = 0;
    std::uint64_t amount = 0, rest = 0;
  };
  struct Sum {
    std::uint64_t r = 0, g = 0, b = 0;
  };
  void AddTo(std::size_t at, Rgb color, std::uint64_t amount) {
    Sum& sum = sums_[at];
    sum.r += (color >> 16 & 0xFF) * amount, sum.g += (color >> 8 & 0xFF) * amount, sum.b += (color & 0xFF) * amount;
  }

  std::size_t columns_ = 0;
  std::uint64_t area_ = 1;
  std::vector<Share> across_, down_;
  // Of each column and line of the averages, the share the frame covers.
  std::vector<std::uint64_t> frameAcross_, frameDown_;
  std::vector<Sum> sums_;
};

}  // namespace morvexa
