#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "morvexa/art_sink.h"
#include "morvexa/banner.h"
#include "morvexa/text_symbols.h"
#include "text/glyph_source.h"

namespace morvexa {

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
