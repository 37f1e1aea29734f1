#include "morvexa/convert_picture.h"

#include <cmath>
#include <stdexcept>

#include "convert/area_average.h"
#include "convert/brightness_ramp.h"
#include "convert/color_reduction.h"
#include "convert/picture_to_asc.h"
#include "decode/picture_reader.h"
#include "morvexa/read_settings.h"

namespace morvexa {

ArtSize FitArtSize(std::size_t width, std::size_t height, const PictureOptions& options) {
  if (width == 0 || height == 0) return {0, 0};
  if (options.width != 0 && options.height != 0) return {options.width, options.height};
  auto atLeastOne = [](double v) { return static_cast<std::size_t>(std::max(1.0, std::round(v))); };
  const double proportion = static_cast<double>(height) / static_cast<double>(width);
  if (options.width != 0)
    return {options.width, atLeastOne(static_cast<double>(options.width) * proportion * options.aspect)};
  if (options.height != 0)
    return {atLeastOne(static_cast<double>(options.height) / proportion / options.aspect), options.height};
  return {width, height};
}

void ConvertPicture(Picture source, const PictureOptions& options, CharList& list, ArtSink& sink) {
  std::unique_ptr<PictureReader> picture = std::move(source).TakeReader();
  if (options.Plain()) {
    PictureToAsc(*picture, list, sink);
    return;
  }
  const ArtSize size = FitArtSize(picture->Width(), picture->Height(), options);
  if (static_cast<double>(size.columns) * static_cast<double>(size.lines) >
      static_cast<double>(ReadSettings{}.maxPixels)) {
    throw std::length_error("The art would have more than 268435456 symbols");
  }
  if (options.Sized() && size.columns != 0) {
    picture->PreferAtLeast(size.columns, size.lines);
    picture = AreaAverage(std::move(picture), size.columns, size.lines);
  }
  if (options.ramp) {
    RampToAsc(*picture, *options.ramp, options.invert, list, sink);
    return;
  }
  // The colors are counted, or reduced, from the whole (sized) picture.
  PixelImage cells = ReadWhole(*picture);
  int colors = options.colors;
  if (colors == 0 && CountColors(cells, PictureOptions::kMostColors) > PictureOptions::kMostColors) {
    colors = PictureOptions::kMostColors;
  }
  if (colors == 0) {
    MemoryPicture art(std::move(cells));
    PictureToAsc(art, list, sink);
    return;
  }
  // The cells keep the colors they had before the reduction.
  const std::unique_ptr<PictureReader> art = ReduceColors(cells, colors, options.dither);
  PictureToAsc(*art, list, sink, &cells);
}

}  // namespace morvexa
