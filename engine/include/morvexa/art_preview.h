#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <vector>

#include "morvexa/color.h"
#include "morvexa/picture_options.h"

namespace morvexa {

// A glance at the art that a conversion with some options would make of a
// picture: its cells, each as the color it shows, for a window to paint.
struct ArtPreview {
  std::size_t pictureWidth = 0, pictureHeight = 0;  // the picture's own size
  std::size_t columns = 0, lines = 0;               // the size of its art
  // The cells shown, row by row from the top: the art's own when it has at
  // most the side asked for, else those of a thumbnail of the picture.
  std::size_t cellsWide = 0, cellsHigh = 0;
  std::vector<Rgb> cells;
  // Whether a cell stands for a symbol of text, twice as tall as wide;
  // otherwise (one symbol per pixel and color, as the art has always been)
  // it stands for a pixel.
  bool tallCells = false;
};

// The preview of the picture file at path converted with options in
// proportion (InProportion, as the window converts it), a frame at a time:
// a still picture's one frame; an animated GIF's or WebP's first
// kMostPreviewFrames, with how long each is shown in milliseconds (an
// animation whose frames cannot all be read, its first alone). Each frame
// from a thumbnail of at most side pixels a side (or the art's width, if
// larger), converted exactly as the whole picture is. Nothing when the
// program does not read the file, or when cancelled turns true meanwhile.
inline constexpr std::size_t kMostPreviewFrames = 120;
struct AnimationPreview {
  std::vector<ArtPreview> frames;
  std::vector<int> delays;
  int plays = 0;  // how many times through; 0 for ever
};
std::optional<AnimationPreview> PreviewArt(const std::filesystem::path& path, std::size_t side,
                                           const PictureOptions& options, const std::atomic<bool>* cancelled = nullptr);

}  // namespace morvexa
