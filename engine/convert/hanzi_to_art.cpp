#include "convert/hanzi_to_art.h"

#include <algorithm>
#include <vector>

#include "convert/cell_cache.h"
#include "convert/cell_rows.h"
#include "convert/hanzi_search.h"
#include "convert/ink_and_paper.h"

namespace morvexa {

namespace {

// A cell's ink (0-1 a sample, from its tones through the picture's levels)
// brought within the ink the glyphs have, densest at most over a cell: a
// flat tone is scaled to it, so that the darkest tone asks for the densest
// glyph and lighter ones for less. A cell of ink and paper alone (a
// pattern, as a glyph is) keeps its ink as it is, and cells between are
// scaled between: by how far the ink's variance is from the most its mean
// allows, m (1 - m), which only ink and paper reach.
void InkOfGlyphs(HanziGlyphs::Patch& ink, float densest) {
  double sum = 0, squares = 0;
  for (const float v : ink) sum += v, squares += static_cast<double>(v) * v;
  const double mean = sum / static_cast<double>(ink.size());
  const double most = mean * (1 - mean);
  const double pattern =
      most > 1e-6 ? std::clamp((squares / static_cast<double>(ink.size()) - mean * mean) / most, 0.0, 1.0) : 0.0;
  const float scale = densest + (1 - densest) * static_cast<float>(pattern);
  for (float& v : ink) v *= scale;
}

}  // namespace

void HanziToArt(PictureReader& samples, std::size_t cells, const ToneLevels& levels, const HanziGlyphs& glyphs,
                CharList& list, ArtSink& sink) {
  sink.Clear();
  list.Clear();
  constexpr int kSide = HanziGlyphs::kSide;
  std::array<float, 256> inkOf{};
  for (std::size_t v = 0; v < inkOf.size(); ++v) {
    inkOf[v] = levels.Ink(static_cast<float>(v), false);
  }
  const CellColors wanted = sink.Colors();
  CellRows rows(samples, cells, kSide, kSide);
  ByteString line(2 * cells, ' ');
  // The colors of each byte: a cell's two alike.
  std::vector<Rgb> inks(2 * cells), papers(2 * cells, 0xFFFFFF);
  std::vector<bool> listed(glyphs.Count());
  std::array<std::int16_t, HanziGlyphs::kPixels> luma;
  HanziGlyphs::Patch ink, patch;
  CellCache<HanziGlyphs::kPixels, std::size_t> seen;
  for (std::size_t y = 0; rows.Next(); ++y) {
    for (std::size_t x = 0; x < cells; ++x) {
      rows.Lumas(x, luma.data());
      CellCache<HanziGlyphs::kPixels, std::size_t>::Key key;
      std::copy(luma.begin(), luma.end(), key.begin());
      std::size_t glyph = 0;
      if (const std::size_t* found = seen.Find(key)) {
        glyph = *found;
      } else {
        for (std::size_t i = 0; i < luma.size(); ++i) ink[i] = inkOf[static_cast<std::size_t>(luma[i])];
        InkOfGlyphs(ink, glyphs.Densest());
        HanziGlyphs::Blur(ink.data(), patch.data(), false);
        glyph = NearestHanzi(glyphs, patch);
        seen.Keep(key, glyph);
      }
      const ByteStringView code = glyphs.Code(glyph);
      std::copy(code.begin(), code.end(), line.begin() + static_cast<std::ptrdiff_t>(2 * x));
      if (!listed[glyph]) listed[glyph] = true, list.AddIfAbsent(code);
      if (wanted != CellColors::None) {
        // From afar (Look), the cell is white paper with its glyph's share
        // of black ink; else its character in its own mean color.
        const Rgb color = wanted == CellColors::Look ? Blend(0xFFFFFF, 0x000000, glyphs.ShareOf(glyph)) : rows.Mean(x);
        inks[2 * x] = inks[2 * x + 1] = color;
      }
    }
    if (wanted == CellColors::None) {
      sink.WriteLine(y, line);
    } else if (wanted == CellColors::Own) {
      sink.WriteColoredLine(y, line, {inks, papers});
    } else {
      sink.WriteColoredLine(y, line, inks);
    }
  }
}

}  // namespace morvexa
