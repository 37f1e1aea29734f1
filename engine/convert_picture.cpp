#include "convert_picture.h"

#include <cmath>
#include <stdexcept>

#include "area_average.h"
#include "brightness_ramp.h"
#include "color_reduction.h"
#include "picture_to_asc.h"
#include "read_settings.h"

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

void ConvertPicture(std::unique_ptr<PictureReader> picture, const PictureOptions& options, CharList& list,
                    ArtArea& area) {
  if (options.Plain()) {
    PictureToAsc(*picture, list, area);
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
    RampToAsc(*picture, *options.ramp, options.invert, list, area);
    return;
  }
  // The colors are counted, or reduced, from the whole (sized) picture.
  PixelImage whole = ReadWhole(*picture);
  int colors = options.colors;
  if (colors == 0 && CountColors(whole, PictureOptions::kMostColors) > PictureOptions::kMostColors) {
    colors = PictureOptions::kMostColors;
  }
  if (colors == 0) {
    MemoryPicture art(std::move(whole));
    PictureToAsc(art, list, area);
    return;
  }
  // The cells keep the colors they had before the reduction.
  const std::unique_ptr<PictureReader> art = ReduceColors(whole, colors, options.dither);
  PictureToAsc(*art, list, area, &whole);
}

}  // namespace morvexa
