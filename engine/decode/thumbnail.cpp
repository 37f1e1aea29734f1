#include "morvexa/thumbnail.h"

#include <algorithm>

#include "decode/or_nothing.h"
#include "morvexa/picture_file.h"
#include "pixels/picture_reader.h"

namespace morvexa {

std::optional<Thumbnail> ReadThumbnail(const std::filesystem::path& path, std::size_t side,
                                       const std::atomic<bool>* cancelled) {
  if (path.empty() || side == 0) return {};
  return OrNothing([&] { return ThumbnailOf(PictureFile::Open(path).Still(), side, cancelled); });
}

std::optional<Thumbnail> ThumbnailOf(Picture opened, std::size_t side, const std::atomic<bool>* cancelled) {
  if (side == 0) return {};
  return OrNothing([&]() -> std::optional<Thumbnail> {
    const std::unique_ptr<PictureReader> picture = std::move(opened).TakeReader();
    const std::size_t width = picture->Width(), height = picture->Height();
    if (width == 0 || height == 0) return {};
    const double scale = std::max(1.0, static_cast<double>(std::max(width, height)) / static_cast<double>(side));
    Thumbnail thumbnail;
    thumbnail.pictureWidth = width;
    thumbnail.pictureHeight = height;
    thumbnail.width = std::max<std::size_t>(1, static_cast<std::size_t>(static_cast<double>(width) / scale));
    thumbnail.height = std::max<std::size_t>(1, static_cast<std::size_t>(static_cast<double>(height) / scale));
    thumbnail.pixels.resize(thumbnail.width * thumbnail.height);
    std::vector<Rgb> colors(width);
    std::size_t next = 0;  // the next row of the picture
    RowBand band;
    for (std::size_t y = 0; y < thumbnail.height; ++y) {
      if (cancelled && cancelled->load(std::memory_order_relaxed)) return {};
      const auto row = std::min(height - 1, static_cast<std::size_t>((static_cast<double>(y) + 0.5) * scale));
      picture->SkipRows(row - next);
      if (picture->ReadRows(1, band) != 1) return {};
      next = row + 1;
      RowColors(band.form, band.rows[0], width, picture->Palette(), colors.data());
      Rgb* out = thumbnail.pixels.data() + y * thumbnail.width;
      for (std::size_t x = 0; x < thumbnail.width; ++x) {
        out[x] = colors[std::min(width - 1, static_cast<std::size_t>((static_cast<double>(x) + 0.5) * scale))];
      }
    }
    return thumbnail;
  });
}

}  // namespace morvexa
