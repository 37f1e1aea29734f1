#pragma once

#include <cstddef>
#include <optional>

#include "text/glyph_font.h"
#include "text/unifont_data.h"

namespace morvexa {

// A glyph as a banner places it on its line: a one-bit bitmap and where it
// stands from the pen. Its bits belong to the source that gave it and stay
// valid as long as that source.
struct GlyphImage {
  // height rows of pitch bytes; the most significant bit of a row's first
  // byte is its leftmost pixel, a set bit is inked, and the bits past width
  // are clear.
  const unsigned char* bits = nullptr;
  std::size_t pitch = 0;
  int width = 0;
  int height = 0;
  // Columns from the pen to the bitmap's first column (below 0: before the
  // pen) and rows from the top of the line to its first row.
  int left = 0;
  int top = 0;
  // Columns the pen moves on after the glyph; 0 for a character drawn over
  // the one before.
  int advance = 0;

  bool Inked(int x, int y) const {
    return (bits[static_cast<std::size_t>(y) * pitch + static_cast<std::size_t>(x) / 8] & (0x80u >> (x % 8))) != 0;
  }
};

// Where the glyphs of a banner come from: the font built into the program
// or an installed font.
class GlyphSource {
 public:
  virtual ~GlyphSource() = default;
  // The rows of a line of text: the height of the art of one row of banner
  // at scale 1.
  virtual int LineHeight() const = 0;
  // The glyph of c, or nothing when the source has none for it.
  virtual std::optional<GlyphImage> Find(char32_t c) = 0;
  // The font as messages name it.
  virtual std::string Name() const = 0;
};

// What a character is to a banner, whatever the font.
enum class CharacterKind {
  // C0 and C1 controls and DEL: no glyph (a line break is the layout's).
  Control,
  // Characters of no width and no ink (format characters such as the zero
  // width space and joiners, variation selectors, fillers): drawn as
  // nothing, taking no room.
  Invisible,
  // Characters drawn over the character before: Unifont's combining
  // characters, and the vowels and final consonants of conjoining Hangul.
  Mark,
  // Everything else: drawn after the character before.
  Spacing,
};

// The kind of c. Which characters have no width is glibc's view
// (wcwidth in C.UTF-8); which of them are drawn over the character before
// is Unifont's (its list of combining characters).
CharacterKind ClassifyCharacter(char32_t c);

// The font built into the program: the GB2312 characters that GNU Unifont
// draws 16 columns wide (the Chinese characters, kana, full-width forms)
// from the 16x16 font chs16, exactly as text art draws them, and every
// other character of Unicode's plane 0 from Unifont, 8 or 16 columns wide
// and 16 rows high (ASCII and the Latin, Greek and Cyrillic letters, for
// example, 8 columns). A mark is drawn at the offset Unifont gives
// it (a mark Unifont places for right-to-left text, which the banners do
// not lay out, over the character before like the others; a Hangul vowel
// or final consonant over the 16 columns before). Nothing for controls and
// for characters Unifont has no glyph for (past plane 0, the private use
// area).
class BuiltInGlyphs final : public GlyphSource {
 public:
  BuiltInGlyphs();
  int LineHeight() const override { return 16; }
  std::optional<GlyphImage> Find(char32_t c) override;
  std::string Name() const override { return "the built-in font"; }

  // Whether c is drawn from chs16: a character that code page 936 holds as
  // a code of GB2312's own table (GlyphFont::OwnCode), outside its
  // user-defined zones and the private use area, and that Unifont does not
  // draw narrow.
  static bool FromGlyphFont(char32_t c);

 private:
  GlyphFont font_;
  const UnifontData& unifont_;
};

}  // namespace morvexa
