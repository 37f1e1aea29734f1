#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "morvexa/art_sink.h"
#include "morvexa/art_size.h"
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

// A banner of text, laid out: every glyph found, from the font options
// name (the built-in one, or an installed one, which fails with "Cannot
// open font NAME" when it cannot be found or read). A character no glyph
// is found for fails with "Stream read error". Art that would have more
// than kMostArtSymbols is found out before it is drawn (TooLarge), as soon
// as the glyphs found so far are too wide.
class Banner {
 public:
  Banner(std::u32string_view text, const TextSymbols& symbols, const BannerOptions& options);
  ~Banner();
  Banner(const Banner&) = delete;
  Banner& operator=(const Banner&) = delete;

  // Whether the art would have more than kMostArtSymbols; how many it would
  // have (when too large, at least); its widest line's columns and its
  // lines.
  bool TooLarge() const;
  std::uint64_t Symbols() const;
  ArtSize Size() const;

  // Clears sink and draws the banner into it, a line at a time: nothing
  // the size of the banner is held, and a line longer than a mebibyte goes
  // to the sink in parts (ArtSink::WriteLinePart). Returns
  // the rows drawn. ArtTooLarge when too large.
  std::vector<BannerRow> Draw(ArtSink& sink) const;

 private:
  struct Laid;
  std::unique_ptr<Laid> laid_;
};

// Banner(text, symbols, options).Draw(sink).
std::vector<BannerRow> DrawBanner(std::u32string_view text, const TextSymbols& symbols, const BannerOptions& options,
                                  ArtSink& sink);

}  // namespace morvexa
