#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <vector>

#include "morvexa/color.h"
#include "morvexa/picture.h"

namespace morvexa {

// A picture read small, for a glance at it: every pixel up to side pixels a
// side; past that, the nearest pixel of each cell of a grid of at most side
// x side, read from only the rows the grid needs.
struct Thumbnail {
  std::size_t width = 0, height = 0;  // of the pixels below
  std::vector<Rgb> pixels;            // row by row from the top
  std::size_t pictureWidth = 0, pictureHeight = 0;
};

// The thumbnail of the picture file at path; nothing when the program does
// not read it, when it is empty, or when cancelled turns true meanwhile.
std::optional<Thumbnail> ReadThumbnail(const std::filesystem::path& path, std::size_t side,
                                       const std::atomic<bool>* cancelled = nullptr);
// The same of a picture already opened (a frame of an animation, say).
std::optional<Thumbnail> ThumbnailOf(Picture picture, std::size_t side, const std::atomic<bool>* cancelled = nullptr);

}  // namespace morvexa
