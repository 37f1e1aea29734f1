#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "morvexa/art_sink.h"
#include "morvexa/art_size.h"
#include "morvexa/banner.h"
#include "morvexa/text_symbols.h"
#include "text/glyph_source.h"

namespace morvexa {

// A character of a banner's text with its glyph.
struct BannerItem {
  GlyphImage glyph;
  std::size_t index = 0;  // in the text
};

// A banner laid out over a source of glyphs: each row of text (a line
// break, "\n" or "\r\n", starts the next; a final one ends the text) as the
// glyphs of glyphs.LineHeight() rows side by side on one baseline, each
// placed where the one before moves the pen; each row of banner under the
// one before, each line as wide as its own row. Each inked pixel becomes
// symbols.ink, or with symbols.selfCharacter the character's own
// (TextSymbols::Self; ink that falls outside every character's advance
// takes the nearest character's); each blank pixel becomes symbols.blank.
// The symbols should be of one width: the wrap counts
// symbols.PixelColumns() as a pixel's columns.
//
// Every glyph is found when it is laid out: a character the source has no
// glyph for fails with "Stream read error" before any line is drawn. Art
// that would have more than kMostArtSymbols is found out on the way, from
// the glyphs' advances, before more glyphs are made. Ink that falls above
// or below the line's rows is cut off.
//
// With the built-in font, text of GB2312 characters only, scale 1, no
// square and no wrap, the lines are those TextToAsc draws of the same text
// in code page 936 with the same symbols.
class BannerLayout {
 public:
  // text, glyphs, symbols and options must outlive the layout.
  BannerLayout(std::u32string_view text, GlyphSource& glyphs, const TextSymbols& symbols, const BannerOptions& options);

  // Whether the art would have more than kMostArtSymbols; how many it would
  // have (when too large, at least), its widest line's columns and its
  // lines.
  bool TooLarge() const { return tooLarge_; }
  std::uint64_t Symbols() const { return symbols_count_; }
  ArtSize Size() const { return size_; }

  // Draws the lines into sink, in order, one line at a time: a line longer
  // than partBytes is written in parts of about that many bytes
  // (ArtSink::WriteLinePart), so that nothing the size of the banner is
  // held. Returns the rows drawn; empty text draws none. ArtTooLarge when
  // too large.
  static constexpr std::size_t kPartBytes = 1 << 20;
  std::vector<BannerRow> Draw(ArtSink& sink, std::size_t partBytes = kPartBytes) const;

 private:
  using Item = BannerItem;
  // A row of text: its characters, and where it starts in the text.
  struct TextRow {
    std::vector<Item> items;
    std::size_t start = 0;
  };
  // A row of banner: its characters, where it starts in the text, its
  // width in pixels and the pen's first column.
  struct Placed {
    std::span<const Item> items;
    std::size_t start;
    int width;
    int origin;
  };
  std::u32string_view text_;
  const TextSymbols& symbols_;
  const BannerOptions& options_;
  int scale_;
  int repeat_;  // symbols a pixel takes across
  int lineHeight_;
  std::vector<TextRow> rows_;
  std::vector<Placed> placed_;
  bool tooLarge_ = false;
  std::uint64_t symbols_count_ = 0;
  ArtSize size_;
};

// Clears area and draws the banner of text into it (see BannerLayout).
std::vector<BannerRow> DrawBanner(std::u32string_view text, GlyphSource& glyphs, const TextSymbols& symbols,
                                  const BannerOptions& options, ArtSink& area);

}  // namespace morvexa
