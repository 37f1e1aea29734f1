#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "morvexa/byte_string.h"

namespace morvexa {

// The 16x16 one-bit glyph font, in the layout of the common GB2312 bitmap
// fonts: 87 zones of 94 glyphs, zone q for lead byte 0xA1 + q and position
// w for trail byte 0xA1 + w; each glyph 16 rows of two bytes, the most
// significant bit the leftmost pixel.
class GlyphFont {
 public:
  static constexpr std::size_t kGlyphBytes = 32;
  static constexpr std::size_t kZoneGlyphs = 94;
  static constexpr std::string_view kResourceName = "chs16";

  using GlyphBytes = std::span<const unsigned char, kGlyphBytes>;

  explicit GlyphFont(std::span<const unsigned char> data) : data_(data) {}

  // The font built into the program, under the resource name given.
  static GlyphFont Open(std::string_view resourceName = kResourceName);

  // The glyph of the double-byte character b1 b2. Neither byte is range
  // checked: q = (b1 - 0xA1) & 0x7F and w = (b2 - 0xA1) & 0x7F, so a low
  // trail byte reaches a glyph of the same zone and a position past 93 one
  // of the next zone. A glyph past the end of the data fails with
  // "Stream read error".
  GlyphBytes Glyph(unsigned char b1, unsigned char b2) const {
    const std::size_t g = GlyphIndex(b1, b2);
    if (g >= GlyphCount()) FailPastTheEnd();
    return GlyphBytes(data_.data() + g * kGlyphBytes, kGlyphBytes);
  }

  // Which glyph the character b1 b2 reaches, as Glyph looks it up.
  static constexpr std::size_t GlyphIndex(unsigned char b1, unsigned char b2) {
    const std::size_t q = (static_cast<int>(b1) - 0xA1) & 0x7F;
    const std::size_t w = (static_cast<int>(b2) - 0xA1) & 0x7F;
    return q * kZoneGlyphs + w;
  }
  // Whether b1 b2 is a code of the font's own table (GB2312: both bytes in
  // 0xA1-0xFE, the lead byte at most 0xF7), whose glyph is its own.
  static constexpr bool OwnCode(unsigned char b1, unsigned char b2) {
    return b1 >= 0xA1 && b1 <= 0xF7 && b2 >= 0xA1 && b2 <= 0xFE;
  }
  // The code whose own glyph is glyph g.
  static ByteString CodeOf(std::size_t g) {
    return {static_cast<char>(0xA1 + g / kZoneGlyphs), static_cast<char>(0xA1 + g % kZoneGlyphs)};
  }

  // Row r (0-15) of a glyph as 16 bits, bit 15 the leftmost pixel; a set
  // bit is inked.
  static std::uint16_t RowBits(GlyphBytes glyph, int r) {
    return static_cast<std::uint16_t>(glyph[2 * r] << 8 | glyph[2 * r + 1]);
  }
  static bool IsInked(std::uint16_t rowBits, int x) { return (rowBits & (0x8000u >> x)) != 0; }

  std::size_t GlyphCount() const { return data_.size() / kGlyphBytes; }

 private:
  [[noreturn]] static void FailPastTheEnd();

  std::span<const unsigned char> data_;
};

}  // namespace morvexa
