#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "morvexa/picture_options.h"

namespace morvexa {

// The 95 printable ASCII symbols (0x20-0x7E) as a font draws them, each
// seen as 8 x 16 samples of a terminal's cell: the built-in font's
// (Unifont's glyphs of 8 x 16 pixels, each pixel inked or not), or an
// installed font's, measured in levels of gray. Made once per process for
// each font and size.
struct SymbolGlyphs {
  static constexpr int kCount = 95;
  static constexpr int kWidth = 8, kHeight = 16, kPixels = kWidth * kHeight;

  // Each glyph's ink in each sample, row by row from the top, from 0 to
  // inkScale (16 bits each, so that sums of products with samples
  // vectorize): the built-in font's 0 or 1.
  std::array<std::array<std::int16_t, kPixels>, kCount> ink{};
  int inkScale = 1;
  // How much of each glyph's top and bottom halves is inked, in samples
  // (ink / inkScale summed), and the sum of its squares.
  std::array<std::array<float, 2>, kCount> inked{}, inkedSquares{};
  // Whether the font draws each symbol: a font may lack some; the built-in
  // font lacks none.
  std::array<bool, kCount> drawn{};

  // The share of the cell each byte's glyph inks: a printable ASCII
  // symbol's, else 0.
  std::array<float, 256> shareOf{};

  // The font, as it was named; empty for the built-in one.
  std::string font;

  static char SymbolOf(int glyph) { return static_cast<char>(0x20 + glyph); }
  // The built-in font's.
  static const SymbolGlyphs& Get();
  // An installed font's, at pixelSize pixels an em: a font file, or a
  // family fontconfig finds ("monospace" being the font it chooses for
  // it); measured the first time it is asked for in a process. Fails with
  // "Cannot open font NAME", refused (FailureCause::refusal) when the font
  // draws any of the visible symbols with no ink.
  static const SymbolGlyphs& Of(std::string_view font, int pixelSize);
  // The same measured from each symbol as the caller draws it (drawnBy
  // giving nothing for a symbol the font lacks): a program that shows the
  // art in its own font, as it renders it. Kept by font and pixelSize.
  static const SymbolGlyphs& Drawn(std::string_view font, int pixelSize,
                                   const std::function<std::optional<DrawnCell>(char32_t)>& drawnBy);
};

}  // namespace morvexa
