#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "morvexa/art_sink.h"
#include "morvexa/text_symbols.h"
#include "morvexa/text_to_asc.h"

namespace morvexa {

struct BannerOptions {
  static constexpr int kLargestScale = 8;

  // Each pixel of a glyph becomes scale x scale symbols (1 to
  // kLargestScale; others are taken as the nearest).
  int scale = 1;
  // Each pixel is two symbols wide, so that a glyph keeps its proportions
  // where a text cell is twice as tall as wide.
  bool square = false;
  // The widest a row of banner may be, in columns (TextSymbols'
  // PixelColumns a pixel); a row wider than that goes on under itself,
  // broken between characters. 0: rows are as wide as their text.
  std::size_t wrapColumns = 0;
  // The colors of the cells, for an area that keeps them.
  TextColors colors;
  // An installed font to draw with, by its name (as fontconfig knows it) or
  // its file, at size pixels a line; none: the font built into the
  // program (16 pixels).
  std::optional<std::string> font;
  int size = 16;
};

// A row of banner: the lines it takes in the area and the characters of the
// text drawn on it.
struct BannerRow {
  std::size_t firstLine = 0;
  std::size_t lineCount = 0;
  std::size_t firstCharacter = 0;
  std::size_t characterCount = 0;
};

// Draws text as a banner into sink, as DrawBanner of text/banner.h does,
// with the glyphs of the font options name: the built-in one, or an
// installed one, which fails with "Cannot open font NAME" when it cannot be
// found or read. A character no glyph is found for fails with "Stream read
// error" before any line is written.
std::vector<BannerRow> DrawBanner(std::u32string_view text, const TextSymbols& symbols, const BannerOptions& options,
                                  ArtSink& sink);

}  // namespace morvexa
