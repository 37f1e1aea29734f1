#include "convert/symbol_glyphs.h"

#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "morvexa/failure.h"
#include "text/font_glyph_source.h"
#include "text/unifont_data.h"

namespace morvexa {

namespace {

// The sums of a glyph's ink, once its samples are set.
void Sum(SymbolGlyphs& glyphs, std::size_t k) {
  const float scale = static_cast<float>(glyphs.inkScale);
  glyphs.inked[k] = {}, glyphs.inkedSquares[k] = {};
  for (int i = 0; i < SymbolGlyphs::kPixels; ++i) {
    const float ink = glyphs.ink[k][static_cast<std::size_t>(i)] / scale;
    const std::size_t half = i < SymbolGlyphs::kPixels / 2 ? 0 : 1;
    glyphs.inked[k][half] += ink;
    glyphs.inkedSquares[k][half] += ink * ink;
  }
  glyphs.shareOf[0x20 + k] = (glyphs.inked[k][0] + glyphs.inked[k][1]) / SymbolGlyphs::kPixels;
}

}  // namespace

const SymbolGlyphs& SymbolGlyphs::Get() {
  static const SymbolGlyphs glyphs = [] {
    SymbolGlyphs made;
    const UnifontData& unifont = UnifontData::BuiltIn();
    for (int k = 0; k < kCount; ++k) {
      const auto glyph = unifont.Find(static_cast<char32_t>(0x20 + k));
      if (!glyph || glyph->width != kWidth) throw Failure(FailureKind::StreamReadError);
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          made.ink[static_cast<std::size_t>(k)][static_cast<std::size_t>(y * kWidth + x)] =
              static_cast<std::int16_t>((glyph->bits[static_cast<std::size_t>(y)] >> (7 - x)) & 1);
        }
      }
      made.drawn[static_cast<std::size_t>(k)] = true;
      Sum(made, static_cast<std::size_t>(k));
    }
    return made;
  }();
  return glyphs;
}

const SymbolGlyphs& SymbolGlyphs::Of(std::string_view font, int pixelSize) {
  static std::mutex mutex;
  static std::map<std::pair<std::string, int>, std::unique_ptr<const SymbolGlyphs>> measured;
  const std::lock_guard lock(mutex);
  auto& kept = measured[{std::string(font), pixelSize}];
  if (kept) return *kept;
  FontGlyphSource source = FontGlyphSource::Open(font, pixelSize);
  auto made = std::make_unique<SymbolGlyphs>();
  made->inkScale = 255;
  made->font = font;
  std::array<float, kPixels> coverage{};
  for (int k = 0; k < kCount; ++k) {
    const auto at = static_cast<std::size_t>(k);
    made->drawn[at] = source.CellCoverage(static_cast<char32_t>(0x20 + k), kWidth, kHeight, coverage.data());
    for (std::size_t i = 0; i < coverage.size(); ++i) {
      made->ink[at][i] = static_cast<std::int16_t>(std::lround(coverage[i] * 255));
    }
    Sum(*made, at);
  }
  kept = std::move(made);
  return *kept;
}

}  // namespace morvexa
