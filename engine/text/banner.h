#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "morvexa/art_sink.h"
#include "morvexa/text_to_asc.h"
#include "text/glyph_source.h"
#include "text/text_symbols.h"

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
};

// A row of banner: the lines it takes in the area and the characters of the
// text drawn on it.
struct BannerRow {
  std::size_t firstLine = 0;
  std::size_t lineCount = 0;
  std::size_t firstCharacter = 0;
  std::size_t characterCount = 0;
};

// Draws text as a banner into area: each row of text (a line break, "\n" or
// "\r\n", starts the next; a final one ends the text) as the glyphs of
// glyphs.LineHeight() rows side by side on one baseline, each placed where
// the one before moves the pen; each row of banner under the one before,
// each line as wide as its own row. Each inked pixel becomes symbols.ink,
// or with symbols.selfCharacter the character's own (TextSymbols::Self; ink
// that falls outside every character's advance takes
// the nearest character's); each blank pixel becomes symbols.blank. The
// symbols should be of one width: the wrap counts symbols.PixelColumns() as a
// pixel's columns.
//
// The area is cleared, then every glyph is found: a character the source has
// no glyph for fails with "Stream read error" before any line is written.
// Returns the rows drawn, in order; empty text draws none. Ink that falls
// above or below the line's rows is cut off.
//
// With the built-in font, text of GB2312 characters only, scale 1, no
// square and no wrap, the lines are those TextToAsc draws of the same text
// in code page 936 with the same symbols.
std::vector<BannerRow> DrawBanner(std::u32string_view text, GlyphSource& glyphs, const TextSymbols& symbols,
                                  const BannerOptions& options, ArtSink& area);

}  // namespace morvexa
