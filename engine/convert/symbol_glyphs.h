#pragma once

#include <array>
#include <cstdint>

namespace morvexa {

// The 95 printable ASCII symbols (0x20-0x7E) as the built-in font draws
// them: Unifont's glyphs of 8 x 16 pixels, made once per process.
struct SymbolGlyphs {
  static constexpr int kCount = 95;
  static constexpr int kWidth = 8, kHeight = 16, kPixels = kWidth * kHeight;

  // Each glyph's pixels, row by row from the top: 1 inked, 0 blank (16
  // bits each, so that sums of products with samples vectorize).
  std::array<std::array<std::int16_t, kPixels>, kCount> ink{};
  // How many pixels of each glyph are inked, in its top and bottom halves.
  std::array<std::array<int, 2>, kCount> inked{};

  // The share of the cell each byte's glyph inks: a printable ASCII
  // symbol's, else 0.
  std::array<float, 256> shareOf{};

  static char SymbolOf(int glyph) { return static_cast<char>(0x20 + glyph); }
  static const SymbolGlyphs& Get();
};

}  // namespace morvexa
