#include "morvexa/convert_picture.h"

#include <cmath>
#include <stdexcept>

#include "convert/area_average.h"
#include "convert/blocks_to_art.h"
#include "convert/brightness_ramp.h"
#include "convert/color_reduction.h"
#include "convert/picture_to_asc.h"
#include "convert/read_ahead.h"
#include "convert/shapes_to_art.h"
#include "convert/tone_levels.h"
#include "decode/picture_reader.h"
#include "morvexa/read_settings.h"

namespace morvexa {

namespace {

// Pixels from which reading a picture ahead on a second thread pays.
constexpr std::size_t kLargePicture = std::size_t{1} << 20;

std::size_t AtLeastOne(double v) { return static_cast<std::size_t>(std::max(1.0, std::round(v))); }

// Readers of one picture from its first row, for as many passes as a way
// of drawing makes: the reader at hand first, then new ones from the file
// or stream read again, or, for a picture that cannot be read again (one
// made in memory), from a copy of it held whole.
class Passes {
 public:
  Passes(std::unique_ptr<PictureReader> first, std::function<std::unique_ptr<PictureReader>()> reopen)
      : first_(std::move(first)), reopen_(std::move(reopen)) {}

  // A reader for the next pass; last: no other pass follows.
  std::unique_ptr<PictureReader> Next(bool last = false) {
    if (first_ && (reopen_ || last)) return std::move(first_);
    if (reopen_) return reopen_();
    if (first_) whole_ = ReadWhole(*first_), first_.reset();
    PixelImage copy(whole_.width, whole_.height);
    std::copy_n(whole_.pixels.get(), whole_.width * whole_.height, copy.pixels.get());
    return std::make_unique<MemoryPicture>(std::move(copy));
  }

 private:
  std::unique_ptr<PictureReader> first_;
  std::function<std::unique_ptr<PictureReader>()> reopen_;
  PixelImage whole_;
};

}  // namespace

PictureOptions::CellSamples PictureOptions::Samples() const {
  if (shapes) return {kShapeSamplesWide, kShapeSamplesHigh};
  if (blocks != Blocks::None) {
    const BlockSamples samples = SamplesOf(blocks);
    return {samples.wide, samples.high};
  }
  return {};
}

int PictureOptions::PixelsAcross() const {
  if (shapes) return kShapeSamplesWide;
  if (blocks != Blocks::None) return 2;
  return 1;
}

ArtSize FitArtSize(std::size_t width, std::size_t height, const PictureOptions& options) {
  if (width == 0 || height == 0) return {0, 0};
  if (options.width != 0 && options.height != 0) return {options.width, options.height};
  if (!options.Sized() && options.PixelsAcross() > 1) {
    PictureOptions sized = options;
    sized.width = AtLeastOne(static_cast<double>(width) / options.PixelsAcross());
    return FitArtSize(width, height, sized);
  }
  const double proportion = static_cast<double>(height) / static_cast<double>(width);
  if (options.width != 0)
    return {options.width, AtLeastOne(static_cast<double>(options.width) * proportion * options.aspect)};
  if (options.height != 0)
    return {AtLeastOne(static_cast<double>(options.height) / proportion / options.aspect), options.height};
  return {width, height};
}

ArtSize FitArtWithin(std::size_t width, std::size_t height, std::size_t columns, std::size_t lines, double aspect) {
  if (width == 0 || height == 0 || columns == 0 || lines == 0) return {0, 0};
  PictureOptions fit;
  fit.aspect = aspect;
  fit.width = columns;
  const ArtSize wide = FitArtSize(width, height, fit);
  if (wide.lines <= lines) return wide;
  fit.width = 0;
  fit.height = lines;
  ArtSize high = FitArtSize(width, height, fit);
  high.columns = std::min(high.columns, columns);
  return high;
}

void ConvertPicture(Picture source, const PictureOptions& options, CharList& list, ArtSink& sink) {
  const std::function<std::unique_ptr<PictureReader>()> reopen = std::move(source).TakeReopen();
  std::unique_ptr<PictureReader> picture = std::move(source).TakeReader();
  if (options.Plain()) {
    PictureToAsc(*picture, list, sink);
    return;
  }
  // A symbol per pixel and color, each on its own color.
  if (!options.Sized() && options.colors == 0 && !options.ramp && !options.shapes &&
      options.blocks == PictureOptions::Blocks::None) {
    PictureToAsc(*picture, list, sink, nullptr, options.fill);
    return;
  }
  const ArtSize size = FitArtSize(picture->Width(), picture->Height(), options);
  if (size.Symbols() > kMostArtSymbols) throw ArtTooLarge(size.Symbols(), size);
  Passes passes(std::move(picture), reopen);
  // Plain shapes and the ramp follow the picture's tones through its
  // levels, found on a first pass over its cells.
  ToneLevels levels;
  if ((options.shapes && !options.fill) || options.ramp) {
    std::unique_ptr<PictureReader> cells = passes.Next();
    if (size.columns != cells->Width() || size.lines != cells->Height()) {
      cells = SizedPicture(std::move(cells), size.columns, size.lines, size.columns, size.lines);
    }
    levels = ToneLevels::Of(*cells);
  }
  picture = passes.Next(true);
  if ((options.shapes || options.blocks != PictureOptions::Blocks::None) && size.columns != 0) {
    // Each cell seen as a few samples of the picture.
    const PictureOptions::CellSamples samples = options.Samples();
    const std::size_t wide = size.columns * static_cast<std::size_t>(samples.wide);
    const std::size_t high = size.lines * static_cast<std::size_t>(samples.high);
    bool large = false;
    if (!picture->AverageTo(wide, high)) {
      picture->PreferAtLeast((wide + 1) / 2, (high + 1) / 2);
      large = picture->Width() * picture->Height() >= kLargePicture;
      picture = AreaAverage(std::move(picture), wide, high);
    }
    // A large picture is read and sized on a second thread while its cells
    // are matched on this one.
    if (large) picture = ReadAhead(std::move(picture));
    if (options.shapes) {
      ShapesToArt(*picture, size.columns, options.fill, options.invert, levels, options.palette, list, sink);
    } else {
      BlocksToArt(*picture, size.columns, options.blocks, options.invert, options.palette, list, sink);
    }
    return;
  }
  const auto sized = [&](std::unique_ptr<PictureReader> read) {
    if (!options.Sized() || size.columns == 0) return read;
    return SizedPicture(std::move(read), size.columns, size.lines, size.columns, size.lines);
  };
  picture = sized(std::move(picture));
  if (options.ramp) {
    RampToAsc(*picture, *options.ramp, options.invert, levels, list, sink, options.fill);
    return;
  }
  int colors = options.colors;
  if (reopen) {
    // A picture of few colors needs no reduction: they are counted on a
    // first pass, and the art made as the picture is read again.
    if (colors == 0) {
      if (CountColors(*picture, PictureOptions::kMostColors) <= PictureOptions::kMostColors) {
        PictureToAsc(*sized(reopen()), list, sink, nullptr, options.fill);
        return;
      }
      colors = PictureOptions::kMostColors;
      picture = nullptr;
    }
    // Reduced from the picture read again for each of libimagequant's
    // passes, and once more for the cells' own colors: nothing the size of
    // the picture is held but the reduced one, a byte a cell.
    const auto again = [&] { return sized(reopen()); };
    PixelRows rows(again, std::move(picture));
    const std::unique_ptr<PictureReader> art = ReduceColors(rows, colors, options.dither);
    PixelRows own(again);
    PictureToAsc(*art, list, sink, &own, options.fill);
    return;
  }
  // The colors are counted, or reduced, from the whole (sized) picture.
  PixelImage cells = ReadWhole(*picture);
  if (colors == 0 && CountColors(cells, PictureOptions::kMostColors) > PictureOptions::kMostColors) {
    colors = PictureOptions::kMostColors;
  }
  if (colors == 0) {
    MemoryPicture art(std::move(cells));
    PictureToAsc(art, list, sink, nullptr, options.fill);
    return;
  }
  // The cells keep the colors they had before the reduction.
  PixelRows rows(cells);
  const std::unique_ptr<PictureReader> art = ReduceColors(rows, colors, options.dither);
  PictureToAsc(*art, list, sink, &rows, options.fill);
}

}  // namespace morvexa
