#include "morvexa/text_to_asc.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "morvexa/cp936.h"
#include "morvexa/text_symbols.h"
#include "text/glyph_font.h"
#include "text/unifont_data.h"

namespace morvexa {

namespace {

bool OnlyDoubleByteCharacters(ByteStringView text) {
  // A lead byte that ends the text counts as a character start, not as a
  // single-byte character.
  for (std::size_t i = 0; i < text.size(); i += 2) {
    if (!IsLeadByte(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

// Appends symbol to the line at out and returns the position after it.
char* Put(char* out, ByteStringView symbol) {
  for (char c : symbol) *out++ = c;
  return out;
}

// The bytes that the eight pixels of a glyph byte draw, for all 256 values,
// so that a row is drawn eight pixels at a time. kWidth is the number of
// bytes of both symbols; the copies are of fixed size.
template <std::size_t kWidth>
class ByteExpansions {
 public:
  static constexpr std::size_t kBytes = 8 * kWidth;

  ByteExpansions(ByteStringView fore, ByteStringView back) {
    char ink[kWidth], blank[kWidth];
    std::memcpy(ink, fore.data(), kWidth);
    std::memcpy(blank, back.data(), kWidth);
    for (unsigned value = 0; value < 256; ++value) {
      for (unsigned pixel = 0; pixel < 8; ++pixel) {
        std::memcpy(&table_[value][pixel * kWidth], (value << pixel & 0x80) ? ink : blank, kWidth);
      }
    }
  }

  const char* Of(unsigned char value) const { return table_[value]; }

  char* Draw(char* out, unsigned char value) const {
    std::memcpy(out, table_[value], kBytes);
    return out + kBytes;
  }

 private:
  char table_[256][kBytes];
};

// Draws glyph row r of every glyph at out, eight pixels at a time, when both
// symbols take kWidth bytes; returns the end of the line.
template <std::size_t kWidth>
char* DrawRow(const ByteExpansions<kWidth>& expansions, const std::vector<GlyphFont::GlyphBytes>& glyphs, int r,
              char* out) {
#if defined(__SSE2__)
  if constexpr (kWidth == 1) {
    // Both halves of the row in one 16-byte store.
    for (const auto glyph : glyphs) {
      const std::uint16_t bits = GlyphFont::RowBits(glyph, r);
      const __m128i left =
          _mm_loadl_epi64(reinterpret_cast<const __m128i*>(expansions.Of(static_cast<unsigned char>(bits >> 8))));
      const __m128i right =
          _mm_loadl_epi64(reinterpret_cast<const __m128i*>(expansions.Of(static_cast<unsigned char>(bits & 0xFF))));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi64(left, right));
      out += 16;
    }
    return out;
  }
#endif
  for (const auto glyph : glyphs) {
    const std::uint16_t bits = GlyphFont::RowBits(glyph, r);
    out = expansions.Draw(out, static_cast<unsigned char>(bits >> 8));
    out = expansions.Draw(out, static_cast<unsigned char>(bits & 0xFF));
  }
  return out;
}

// Draws the 16 rows into line and hands each to the area as it is done.
template <typename Row>
void DrawLines(std::size_t lineBytes, ArtSink& area, Row drawRow) {
  const auto line = std::make_unique_for_overwrite<char[]>(lineBytes);
  for (int r = 0; r < 16; ++r) {
    const char* end = drawRow(line.get(), r);
    area.WriteLine(static_cast<std::size_t>(r), ByteStringView(line.get(), static_cast<std::size_t>(end - line.get())));
  }
}

// The glyphs text art draws its characters with. A character of GB2312's
// own table is drawn from the 16x16 font; any other character that code
// page 936 holds is drawn with its own glyph from Unifont (one of 8 columns
// in the middle of the 16), where Unifont has one. Two bytes that are no
// character, or a character Unifont does not draw (the private use area),
// take the glyph that the font's lookup reaches, as the font's own table
// lays its codes out (and fail past its end).
class TrueGlyphs {
 public:
  explicit TrueGlyphs(std::size_t characters) { made_.reserve(characters); }

  GlyphFont::GlyphBytes Of(const GlyphFont& font, ByteStringView pair) {
    const auto b1 = static_cast<unsigned char>(pair[0]), b2 = static_cast<unsigned char>(pair[1]);
    char32_t c = 0;
    if (!GlyphFont::OwnCode(b1, b2) && cp936::DecodeAt(pair, 0, c) == 2) {
      if (const auto glyph = UnifontData::BuiltIn().Find(c)) {
        std::array<unsigned char, GlyphFont::kGlyphBytes>& bytes = made_.emplace_back();
        for (int r = 0; r < 16; ++r) {
          if (glyph->width == 16) {
            bytes[2 * r] = glyph->bits[2 * r], bytes[2 * r + 1] = glyph->bits[2 * r + 1];
          } else {
            const unsigned char row = glyph->bits[r];
            bytes[2 * r] = static_cast<unsigned char>(row >> 4),
                      bytes[2 * r + 1] = static_cast<unsigned char>(row << 4);
          }
        }
        return GlyphFont::GlyphBytes(bytes);
      }
    }
    return font.Glyph(b1, b2);
  }

 private:
  std::vector<std::array<unsigned char, GlyphFont::kGlyphBytes>> made_;  // reserved: never moves
};

}  // namespace

TextToAscResult TextToAsc(ByteStringView text, ByteStringView foreText, ByteStringView backText, CharList& list,
                          ArtSink& area, const TextColors& colors) {
  if (text.empty()) return TextToAscResult::EmptyText;
  if (!OnlyDoubleByteCharacters(text)) return TextToAscResult::NotChinese;

  const TextSymbols symbols = MakeTextSymbols(foreText, backText);
  const ByteString& foreSymbol = symbols.ink;
  const ByteString& backSymbol = symbols.blank;
  const bool selfCharacter = symbols.selfCharacter;

  ListTextSymbols(foreText, backText, list);

  area.Clear();
  const GlyphFont font = GlyphFont::Open();

  // Every glyph is found before the first row is drawn, so that a
  // character outside the font fails before any line is written.
  const std::size_t characters = text.size() / 2;
  std::vector<GlyphFont::GlyphBytes> glyphs;
  glyphs.reserve(characters);
  TrueGlyphs own(characters);
  for (std::size_t k = 0; k < characters; ++k) glyphs.push_back(own.Of(font, text.substr(2 * k, 2)));

  const std::size_t lineBytes = characters * 16 * 2;
  if (area.Colors() != CellColors::None) {
    // Each byte with the color of its pixel, ink or blank: pixel by pixel.
    ByteString line;
    std::vector<Rgb> lineColors;
    for (int r = 0; r < 16; ++r) {
      line.clear();
      lineColors.clear();
      for (std::size_t k = 0; k < characters; ++k) {
        const ByteStringView fore = selfCharacter ? text.substr(2 * k, 2) : ByteStringView(foreSymbol);
        const std::uint16_t bits = GlyphFont::RowBits(glyphs[k], r);
        for (int x = 0; x < 16; ++x) {
          const bool inked = GlyphFont::IsInked(bits, x);
          const ByteStringView symbol = inked ? fore : ByteStringView(backSymbol);
          line += symbol;
          lineColors.insert(lineColors.end(), symbol.size(), inked ? colors.ink : colors.blank);
        }
      }
      area.WriteColoredLine(static_cast<std::size_t>(r), line, lineColors);
    }
  } else if (!selfCharacter && foreSymbol.size() == 1 && backSymbol.size() == 1) {
    const ByteExpansions<1> expansions(foreSymbol, backSymbol);
    DrawLines(lineBytes, area, [&](char* out, int r) { return DrawRow(expansions, glyphs, r, out); });
  } else if (!selfCharacter && foreSymbol.size() == 2 && backSymbol.size() == 2) {
    const ByteExpansions<2> expansions(foreSymbol, backSymbol);
    DrawLines(lineBytes, area, [&](char* out, int r) { return DrawRow(expansions, glyphs, r, out); });
  } else {
    // The self character (whose ink differs from one character to the
    // next) and empty symbols: pixel by pixel.
    DrawLines(lineBytes, area, [&](char* out, int r) {
      for (std::size_t k = 0; k < characters; ++k) {
        const ByteStringView fore = selfCharacter ? text.substr(2 * k, 2) : ByteStringView(foreSymbol);
        const std::uint16_t bits = GlyphFont::RowBits(glyphs[k], r);
        for (int x = 0; x < 16; ++x) out = Put(out, GlyphFont::IsInked(bits, x) ? fore : backSymbol);
      }
      return out;
    });
  }
  return TextToAscResult::Done;
}

std::vector<BorrowedGlyph> BorrowedGlyphs(ByteStringView text) {
  std::vector<BorrowedGlyph> borrowed;
  const GlyphFont font = GlyphFont::Open();
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const auto b1 = static_cast<unsigned char>(text[i]), b2 = static_cast<unsigned char>(text[i + 1]);
    const std::size_t glyph = GlyphFont::GlyphIndex(b1, b2);
    if (GlyphFont::OwnCode(b1, b2) || glyph >= font.GlyphCount()) continue;
    borrowed.push_back({ByteString(text.substr(i, 2)), GlyphFont::CodeOf(glyph)});
  }
  return borrowed;
}

}  // namespace morvexa
