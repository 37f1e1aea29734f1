#include "convert/symbol_glyphs.h"

#include "morvexa/failure.h"
#include "text/unifont_data.h"

namespace morvexa {

const SymbolGlyphs& SymbolGlyphs::Get() {
  static const SymbolGlyphs glyphs = [] {
    SymbolGlyphs made;
    const UnifontData& unifont = UnifontData::BuiltIn();
    for (int k = 0; k < kCount; ++k) {
      const auto glyph = unifont.Find(static_cast<char32_t>(0x20 + k));
      if (!glyph || glyph->width != kWidth) throw Failure(FailureKind::StreamReadError);
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          const auto bit = static_cast<std::int16_t>((glyph->bits[static_cast<std::size_t>(y)] >> (7 - x)) & 1);
          made.ink[static_cast<std::size_t>(k)][static_cast<std::size_t>(y * kWidth + x)] = bit;
          made.inked[static_cast<std::size_t>(k)][y < kHeight / 2 ? 0 : 1] += bit;
        }
      }
      made.shareOf[static_cast<std::size_t>(0x20 + k)] =
          static_cast<float>(made.inked[static_cast<std::size_t>(k)][0] + made.inked[static_cast<std::size_t>(k)][1]) /
          kPixels;
    }
    return made;
  }();
  return glyphs;
}

}  // namespace morvexa
