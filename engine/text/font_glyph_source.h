#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "text/glyph_source.h"

namespace morvexa {

// An installed font, through fontconfig and FreeType, at a size in pixels:
// each glyph rendered by FreeType in levels of gray and taken as inked
// where it covers at least half of a pixel (a font's own one-bit bitmaps
// at that size as they are), and placed as the font's metrics say: the pen
// moves by the glyph's advance, rounded to whole pixels, and marks with no
// advance fall over the character before. A line of text is the font's em
// high, its baseline where the font's typographic ascender puts it: 24
// rows at 24 pixels for fonts whose typographic ascender and descender
// span the em, as most do (fonts that give none take FreeType's ascender
// and descender at that size). Ink above or below the line is cut off.
// Controls and characters the font has no glyph for have none; invisible
// characters (ClassifyCharacter) are drawn as nothing.
//
// Any failure to open the font fails with "Cannot open font NAME", NAME as
// given.
class FontGlyphSource final : public GlyphSource {
 public:
  // The installed font family named, found by fontconfig; its regular style
  // where it has several. A name that no installed font has fails rather
  // than take the family fontconfig would put in its place; fontconfig's
  // generic families ("monospace", "serif", "sans-serif", ...) take the
  // font fontconfig chooses for them. A name with a colon is a pattern of
  // fontconfig's, as "monospace:lang=zh-cn" (the font it chooses for
  // Chinese in monospace).
  static FontGlyphSource OpenFamily(std::string_view family, int pixelSize);
  // The font file at path (of a collection, its first font).
  static FontGlyphSource OpenFile(std::string_view path, int pixelSize);
  // A file when font names one (or holds a "/"), else a family. A file
  // that is not a regular one (a FIFO, a device, a folder) is refused
  // before it is read, with the reason.
  static FontGlyphSource Open(std::string_view font, int pixelSize);

  FontGlyphSource(FontGlyphSource&&) noexcept;
  FontGlyphSource& operator=(FontGlyphSource&&) noexcept;
  ~FontGlyphSource() override;

  int LineHeight() const override;
  std::optional<GlyphImage> Find(char32_t c) override;
  std::string Name() const override;  // as it was given

  // How much of each of wide x high samples of a terminal's cell the
  // glyph of c covers, 0-1, into out: the cell the glyph's advance wide and
  // the font's ascender and descender high (as terminals set their cells),
  // the glyph drawn in levels of gray on its baseline there, ink outside
  // the cell cut off. False when the font has no glyph for c (a space has
  // an empty one), and for every c in a font of symbols, which has no
  // Unicode character map.
  bool CellCoverage(char32_t c, int wide, int high, float* out);

  // The file the font was read from and its family name.
  const std::string& File() const;
  const std::string& Family() const;

 private:
  struct Font;
  explicit FontGlyphSource(std::unique_ptr<Font> font);

  std::unique_ptr<Font> font_;
};

}  // namespace morvexa
