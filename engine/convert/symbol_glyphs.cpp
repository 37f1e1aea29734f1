#include "convert/symbol_glyphs.h"

#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "morvexa/failure.h"
#include "morvexa/shown_path.h"
#include "text/cell_coverage.h"
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

namespace {

// The glyphs of a font measured the first time they are asked for: by the
// font and size, and whether the caller drew them.
const SymbolGlyphs& Measured(std::string_view font, int pixelSize, bool drawn,
                             const std::function<bool(char32_t, float*)>& coverage) {
  static std::mutex mutex;
  static std::map<std::tuple<std::string, int, bool>, std::unique_ptr<const SymbolGlyphs>> measured;
  const std::lock_guard lock(mutex);
  auto& kept = measured[{std::string(font), pixelSize, drawn}];
  if (kept) return *kept;
  auto made = std::make_unique<SymbolGlyphs>();
  made->inkScale = 255;
  made->font = font;
  std::array<float, SymbolGlyphs::kPixels> cover{};
  for (int k = 0; k < SymbolGlyphs::kCount; ++k) {
    const auto at = static_cast<std::size_t>(k);
    made->drawn[at] = coverage(static_cast<char32_t>(0x20 + k), cover.data());
    for (std::size_t i = 0; i < cover.size(); ++i) {
      made->ink[at][i] = static_cast<std::int16_t>(std::lround(cover[i] * 255));
    }
    Sum(*made, at);
  }
  kept = std::move(made);
  return *kept;
}

// Refuses a font that does not draw every visible symbol with some ink
// (a symbol font, a damaged one): art matched to it would be made of the
// blanks it has in their place.
void CheckDrawsEverySymbol(const SymbolGlyphs& glyphs) {
  std::string lacking;
  int count = 0;
  for (int k = 1; k < SymbolGlyphs::kCount; ++k) {
    const auto at = static_cast<std::size_t>(k);
    if (glyphs.drawn[at] && glyphs.inked[at][0] + glyphs.inked[at][1] > 0) continue;
    if (++count <= 12) lacking += std::string(count > 1 ? " " : "") + SymbolGlyphs::SymbolOf(k);
  }
  if (count == 0) return;
  if (count > 12) lacking += " ...";
  throw Failure(FailureKind::CannotOpenFont, glyphs.font,
                {.refusal = "--glyphs-of: " + QuotedName(glyphs.font) + " has no glyph for " + std::to_string(count) +
                            " of the " + std::to_string(SymbolGlyphs::kCount - 1) + " printable ASCII symbols (" +
                            lacking + "); art is matched to a font that draws them all"});
}

}  // namespace

const SymbolGlyphs& SymbolGlyphs::Of(std::string_view font, int pixelSize) {
  std::optional<FontGlyphSource> source;
  const SymbolGlyphs& glyphs = Measured(font, pixelSize, false, [&](char32_t symbol, float* cover) {
    if (!source) source.emplace(FontGlyphSource::Open(font, pixelSize));
    return source->CellCoverage(symbol, kWidth, kHeight, cover);
  });
  CheckDrawsEverySymbol(glyphs);
  return glyphs;
}

const SymbolGlyphs& SymbolGlyphs::Drawn(std::string_view font, int pixelSize,
                                        const std::function<std::optional<DrawnCell>(char32_t)>& drawnBy) {
  return Measured(font, pixelSize, true, [&](char32_t symbol, float* cover) {
    const std::optional<DrawnCell> cell = drawnBy(symbol);
    if (!cell || cell->width < 0 || cell->height < 0 || cell->cellWide <= 0 || cell->cellHigh <= 0 ||
        cell->coverage.size() != static_cast<std::size_t>(cell->width) * static_cast<std::size_t>(cell->height)) {
      std::fill(cover, cover + kPixels, 0.0f);
      return false;
    }
    const auto coverageAt = [&](int x, int y) {
      return cell->coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(cell->width) +
                            static_cast<std::size_t>(x)] /
             255.0;
    };
    CoverCell(0, 0, cell->width, cell->height, coverageAt, cell->cellWide, cell->cellHigh, kWidth, kHeight, cover);
    return true;
  });
}

}  // namespace morvexa
