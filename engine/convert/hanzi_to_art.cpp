#include "convert/hanzi_to_art.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "convert/cell_cache.h"
#include "convert/cell_line.h"
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

// The glyph nearest a cell of ink (0-1 a sample), brought within the
// glyphs' ink and blurred into patch.
std::size_t Nearest(const HanziGlyphs& glyphs, HanziGlyphs::Patch& ink, HanziGlyphs::Patch& patch) {
  InkOfGlyphs(ink, glyphs.Densest());
  HanziGlyphs::Blur(ink.data(), patch.data(), false);
  return NearestHanzi(glyphs, patch);
}

// The ink and paper of a cell of fill under a glyph of ink (0 or 1 a
// pixel): the mean color of the pixels under its ink and of those off it,
// which fit the cell best by least squares. A blank glyph (or one that
// covers all) is the cell's mean color both.
InkAndPaper FitInkAndPaper(const HanziGlyphs::Patch& ink, const float* red, const float* green, const float* blue) {
  std::array<double, 3> on{}, off{};
  double inked = 0;
  for (std::size_t i = 0; i < ink.size(); ++i) {
    std::array<double, 3>& sum = ink[i] > 0.5f ? on : off;
    sum[0] += red[i], sum[1] += green[i], sum[2] += blue[i];
    inked += ink[i] > 0.5f ? 1 : 0;
  }
  const double pixels = static_cast<double>(ink.size());
  const auto color = [](const std::array<double, 3>& sum, double count) {
    Rgb rgb = 0;
    for (std::size_t c = 0; c < 3; ++c) {
      rgb = rgb << 8 | static_cast<Rgb>(std::clamp(std::lround(sum[c] / count), 0L, 255L));
    }
    return rgb;
  };
  if (inked == 0 || inked == pixels) {
    const std::array<double, 3> all = {on[0] + off[0], on[1] + off[1], on[2] + off[2]};
    const Rgb mean = color(all, pixels);
    return {mean, mean};
  }
  return {color(on, inked), color(off, pixels - inked)};
}

// The ink that, covering share of a cell's paper, shows color from afar:
// each channel as far from the paper as color is, over share, within
// 0-255 (color itself on a blank glyph).
Rgb InkKeeping(Rgb color, Rgb paper, float share) {
  if (share <= 0) return color;
  Rgb ink = 0;
  for (int shift = 16; shift >= 0; shift -= 8) {
    const float p = static_cast<float>(paper >> shift & 0xFF), c = static_cast<float>(color >> shift & 0xFF);
    ink |= static_cast<Rgb>(std::lround(std::clamp(p + (c - p) / share, 0.0f, 255.0f))) << shift;
  }
  return ink;
}

// The ink a luma asks for (0-1), through the picture's levels: dark ink for
// dark tones, or light ink for light ones (invert).
std::array<float, 256> InkOfLumas(const ToneLevels& levels, bool invert) {
  std::array<float, 256> inkOf{};
  for (std::size_t v = 0; v < inkOf.size(); ++v) inkOf[v] = levels.Ink(static_cast<float>(v), invert);
  return inkOf;
}

// A laid text's characters, each with its glyph (0 where the font has none:
// the character is written all the same, its glyph blank).
struct LaidCharacter {
  ByteStringView code;
  std::size_t glyph;
};
std::vector<LaidCharacter> LaidCharacters(const HanziGlyphs& glyphs, ByteStringView text) {
  std::vector<LaidCharacter> laid;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const ByteStringView code = text.substr(i, 2);
    laid.push_back({code, glyphs.IndexOf(code)});
  }
  return laid;
}

}  // namespace

void HanziToArt(PictureReader& samples, std::size_t cells, const ToneLevels& levels, const HanziGlyphs& glyphs,
                const Hanzi& way, CharList& list, ArtSink& sink) {
  sink.Clear();
  list.Clear();
  constexpr int kSide = HanziGlyphs::kSide;
  constexpr float kMiddleInk = 0.5f;
  const std::array<float, 256> inkOf = InkOfLumas(levels, way.invert);
  const Rgb paper = way.invert ? 0x000000 : 0xFFFFFF, plainInk = way.invert ? 0xFFFFFF : 0x000000;
  const CellColors wanted = sink.Colors();
  const std::vector<LaidCharacter> laid = LaidCharacters(glyphs, way.text);
  std::size_t nextLaid = 0;
  CellRows rows(samples, cells, kSide, kSide);
  ByteString line(2 * cells, ' ');
  // The colors of each byte: a cell's two alike.
  std::vector<Rgb> inks(2 * cells), papers(2 * cells, paper);
  // The characters listed, by their two bytes.
  std::vector<bool> listed(1 << 16);
  std::array<std::int16_t, HanziGlyphs::kPixels> luma;
  std::array<float, HanziGlyphs::kPixels> red, green, blue;
  HanziGlyphs::Patch ink, patch;
  CellCache<HanziGlyphs::kPixels, std::size_t> seen;
  for (std::size_t y = 0; rows.Next(); ++y) {
    for (std::size_t x = 0; x < cells; ++x) {
      rows.Lumas(x, luma.data());
      std::size_t glyph = 0;
      ByteStringView code = glyphs.Code(0);
      if (!laid.empty()) {
        float inkSum = 0;
        for (const std::int16_t v : luma) inkSum += inkOf[static_cast<std::size_t>(v)];
        if (wanted != CellColors::None || inkSum >= kMiddleInk * HanziGlyphs::kPixels) {
          const LaidCharacter& next = laid[nextLaid];
          nextLaid = (nextLaid + 1) % laid.size();
          glyph = next.glyph, code = next.code;
        }
      } else {
        CellCache<HanziGlyphs::kPixels, std::size_t>::Key key;
        std::copy(luma.begin(), luma.end(), key.begin());
        if (const std::size_t* found = seen.Find(key)) {
          glyph = *found;
        } else {
          for (std::size_t i = 0; i < luma.size(); ++i) ink[i] = inkOf[static_cast<std::size_t>(luma[i])];
          glyph = Nearest(glyphs, ink, patch);
          // With fill, a glyph may be drawn light on dark as well: the
          // cell's light tones taken as its ink.
          if (way.fill) {
            HanziGlyphs::Patch light, lightPatch;
            for (std::size_t i = 0; i < luma.size(); ++i) light[i] = 1 - inkOf[static_cast<std::size_t>(luma[i])];
            const std::size_t lightGlyph = Nearest(glyphs, light, lightPatch);
            if (PatchDistance(glyphs.PatchOf(lightGlyph), lightPatch) < PatchDistance(glyphs.PatchOf(glyph), patch)) {
              glyph = lightGlyph;
            }
          }
          seen.Keep(key, glyph);
        }
        code = glyphs.Code(glyph);
      }
      std::copy(code.begin(), code.end(), line.begin() + static_cast<std::ptrdiff_t>(2 * x));
      const std::size_t bytes =
          static_cast<std::size_t>(static_cast<unsigned char>(code[0])) << 8 | static_cast<unsigned char>(code[1]);
      if (!listed[bytes]) listed[bytes] = true, list.AddIfAbsent(code);
      if (wanted == CellColors::None) continue;
      // Without fill, ink on white paper (invert: black): from afar black
      // (white) ink's share of it; in colors, a matched character's ink is
      // what keeps its cell's mean color from afar over that paper, as far
      // as a color can, and a laid character's the cell's color itself.
      InkAndPaper drawn{wanted == CellColors::Look ? plainInk : rows.Mean(x), paper};
      if (wanted == CellColors::Own && laid.empty() && !way.fill) {
        drawn.ink = InkKeeping(drawn.ink, paper, glyphs.ShareOf(glyph));
      }
      if (way.fill) {
        rows.Samples(x, red.data(), green.data(), blue.data());
        drawn = FitInkAndPaper(glyphs.InkOf(glyph), red.data(), green.data(), blue.data());
      }
      // From afar (Look), the cell is its paper with its glyph's share of
      // ink.
      const Rgb shown = wanted == CellColors::Look ? Blend(drawn.paper, drawn.ink, glyphs.ShareOf(glyph)) : drawn.ink;
      inks[2 * x] = inks[2 * x + 1] = shown;
      papers[2 * x] = papers[2 * x + 1] = drawn.paper;
    }
    WriteCellLine(sink, y, line, inks, papers);
  }
}

}  // namespace morvexa
