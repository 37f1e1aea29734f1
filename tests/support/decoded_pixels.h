#pragma once

// A picture as the program reads it: width, height and 0xRRGGBB pixels,
// top row first.
#include <filesystem>
#include <span>
#include <vector>

#include "bmp_reader.h"
#include "open_picture.h"

namespace morvexa::testing_support {

struct DecodedPixels {
  std::size_t width = 0, height = 0;
  std::vector<Rgb> pixels;
};

inline DecodedPixels ReadAllPixels(PictureReader& reader) {
  DecodedPixels out{reader.Width(), reader.Height(), {}};
  out.pixels.resize(out.width * out.height);
  RowBand band;
  std::size_t y = 0;
  while (reader.ReadRows(reader.RowsPerBand(), band) > 0) {
    for (const unsigned char* row : band.rows) {
      RowColors(band.form, row, out.width, reader.Palette(), out.pixels.data() + y++ * out.width);
    }
  }
  return out;
}

inline DecodedPixels DecodeFile(const std::filesystem::path& path) { return ReadAllPixels(*OpenPicture(path)); }

inline DecodedPixels DecodeBmp(std::span<const unsigned char> bytes, const BmpLimits& limits = {}) {
  return ReadAllPixels(*ReadBmp(FileBytes::FromMemory(std::string(bytes.begin(), bytes.end())), limits));
}

}  // namespace morvexa::testing_support
