#include "convert/blocks_to_art.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "convert/block_elements.h"
#include "convert/cell_line.h"
#include "convert/cell_rows.h"
#include "convert/ink_and_paper.h"
#include "convert/palette_mix.h"
#include "morvexa/cp936.h"

namespace morvexa {

namespace {

// For a terminal of few colors, how many of a cell's best splits are tried
// in its palette.
constexpr std::size_t kPaletteSplits = 4;

// An element a cell can be drawn with: its character, and which samples
// its ink covers (bit s for sample s, row by row).
struct Element {
  char32_t character;
  std::uint64_t ink;
  bool turned = false;  // whether the set holds the element of the other samples too
};

// The samples of a cell of 8 x 8 that a block element inks.
std::uint64_t InkOf(char32_t element) {
  std::uint64_t ink = 0;
  for (int s = 0; s < 64; ++s) {
    if (BlockInks(element, s % 8, s / 8, 8, 8)) ink |= std::uint64_t{1} << s;
  }
  return ink;
}

// The lower eighths (rows from the bottom) and left eighths (columns from
// the left) of 8 x 8 samples, where code page 936 holds them if asked.
void AddEighths(std::vector<Element>& elements, bool codePage936Only) {
  for (int k = 1; k <= 8; ++k) {
    if (codePage936Only && !cp936::CanEncode(kLowerEighths[k])) continue;
    elements.push_back({kLowerEighths[k], InkOf(kLowerEighths[k])});
  }
  for (int k = 1; k < 8; ++k) {
    if (codePage936Only && !cp936::CanEncode(kLeftEighths[k])) continue;
    elements.push_back({kLeftEighths[k], InkOf(kLeftEighths[k])});
  }
}

// The elements of a kind, by the samples their ink covers.
std::vector<Element> ElementsOf(BlockKind blocks) {
  std::vector<Element> elements;
  switch (blocks) {
    case BlockKind::Quadrants: {
      // Every split of the quarters of 8 x 8 samples; and the eighths.
      for (int quarters = 1; quarters < 16; ++quarters) {
        elements.push_back({kByQuarters[quarters], InkOf(kByQuarters[quarters])});
      }
      AddEighths(elements, false);
      break;
    }
    case BlockKind::CodePage936: AddEighths(elements, true); break;
    case BlockKind::Fine:
    case BlockKind::FineCodePage936: break;  // fine_blocks.cpp's
    case BlockKind::Braille: {
      // Dots by sample (column, row): (0,0) 1, (0,1) 2, (0,2) 4, (1,0) 8,
      // (1,1) 16, (1,2) 32, (0,3) 64, (1,3) 128.
      static constexpr int kDotOfSample[8] = {0x01, 0x08, 0x02, 0x10, 0x04, 0x20, 0x40, 0x80};
      for (std::uint64_t samples = 1; samples < 256; ++samples) {
        int dots = 0;
        for (int s = 0; s < 8; ++s) {
          if (samples >> s & 1) dots |= kDotOfSample[s];
        }
        elements.push_back({static_cast<char32_t>(0x2800 + dots), samples});
      }
      break;
    }
  }
  // Each split once; an element whose other samples' element is there too
  // is drawn with the darker ink only.
  const CellSamples size = Blocks{blocks}.Samples();
  const std::uint64_t all =
      size.wide * size.high == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << (size.wide * size.high)) - 1;
  std::vector<Element> kept;
  for (const Element& element : elements) {
    const auto same = [&](const Element& other) { return other.ink == element.ink; };
    if (std::none_of(kept.begin(), kept.end(), same)) kept.push_back(element);
  }
  for (Element& element : kept) {
    element.turned =
        std::any_of(kept.begin(), kept.end(), [&](const Element& other) { return other.ink == (all & ~element.ink); });
  }
  return kept;
}

Rgb Mean(const double* sums, int count) {
  Rgb out = 0;
  if (count <= 0) return out;  // no samples: no color of their own
  for (int c = 0; c < 3; ++c) {
    const double v = sums[c] / count;
    out |= static_cast<Rgb>(v < 0 ? 0 : v > 255 ? 255 : v + 0.5) << (16 - 8 * c);
  }
  return out;
}

}  // namespace

void BlocksToArt(PictureReader& samples, std::size_t columns, BlockKind blocks, bool invert,
                 const TerminalPalette& palette, CharList& list, ArtSink& sink) {
  sink.Clear();
  list.Clear();
  const CellColors wanted = sink.Colors();
  const std::vector<Element> elements = ElementsOf(blocks);
  const CellSamples size = Blocks{blocks}.Samples();
  const int count = size.wide * size.high;
  // Each element's bytes in the art.
  std::vector<ByteString> bytesOf;
  for (const Element& element : elements) {
    ByteString bytes;
    cp936::AppendEncoded(element.character, bytes);
    bytesOf.push_back(bytes);
  }
  CellRows rows(samples, columns, size.wide, size.high);
  std::vector<float> red(static_cast<std::size_t>(count)), green(red.size()), blue(red.size());
  ByteString line;
  std::vector<Rgb> inks, papers;
  // For a terminal of few colors: the splits tried in its palette.
  const bool paletted = palette.colors != TerminalColors::TrueColor;
  std::vector<Split> splits, mixers;
  std::vector<std::pair<double, Split>> ranked;
  for (std::size_t y = 0; rows.Next(); ++y) {
    line.clear(), inks.clear(), papers.clear();
    for (std::size_t x = 0; x < columns; ++x) {
      rows.Samples(x, red.data(), green.data(), blue.data());
      if (wanted == CellColors::None) {
        // Black ink on white paper (invert: white on black): the element
        // whose ink lies nearest where the cell is dark.
        std::uint64_t dark = 0;
        for (int s = 0; s < count; ++s) {
          const float luma = (0.2126f * red[s] + 0.7152f * green[s] + 0.0722f * blue[s]) / 255.0f;
          if ((luma < 0.5f) != invert) dark |= std::uint64_t{1} << s;
        }
        std::size_t chosen = elements.size();
        int fewest = std::popcount(dark);  // wrong samples of the space
        for (std::size_t e = 0; e < elements.size(); ++e) {
          const int wrong = std::popcount(elements[e].ink ^ dark);
          if (wrong < fewest) fewest = wrong, chosen = e;
        }
        line += chosen < elements.size() ? bytesOf[chosen] : ByteString(" ");
        continue;
      }
      double total[3] = {};
      for (int s = 0; s < count; ++s) total[0] += red[s], total[1] += green[s], total[2] += blue[s];
      // The split of least squared error: the most spread between the
      // sides' means. For a terminal of few colors, the few best splits
      // (and those that mix two colors half and half) go on to be drawn in
      // its palette.
      double best = 1e-9 * count;
      std::size_t chosen = elements.size();
      Rgb ink = Mean(total, count), paper = ink;
      splits.clear();
      if (paletted) splits.push_back({elements.size(), 0, {}, ink, ink});  // the space
      for (std::size_t e = 0; e < elements.size(); ++e) {
        double inside[3] = {};
        int n = 0;
        for (int s = 0; s < count; ++s) {
          if (!(elements[e].ink >> s & 1)) continue;
          inside[0] += red[s], inside[1] += green[s], inside[2] += blue[s];
          ++n;
        }
        double between = 0;
        if (n == count) {
          between = 0;
        } else {
          for (int c = 0; c < 3; ++c) {
            const double a = inside[c] / n, b = (total[c] - inside[c]) / (count - n);
            between += static_cast<double>(n) * (count - n) * (a - b) * (a - b);
          }
        }
        const bool mixer = paletted && 2 * n == count && mixers.size() < 2;
        if (between <= best && !mixer && !paletted) continue;
        const double outside[3] = {total[0] - inside[0], total[1] - inside[1], total[2] - inside[2]};
        const Rgb inkColor = Mean(inside, n), paperColor = Mean(outside, count - n);
        // The ink is the darker side (invert: the lighter), for an element
        // whose turned-round split is in the set too.
        const bool inkDarker = Luma(inkColor) <= Luma(paperColor);
        if (inkDarker == invert && elements[e].turned) continue;
        if (paletted) {
          const Split split{e, n, {inside[0], inside[1], inside[2]}, inkColor, paperColor};
          if (mixer) mixers.push_back(split);
          if (between > 1e-9 * count) ranked.push_back({between, split});
        }
        if (between <= best) continue;
        best = between, chosen = e, ink = inkColor, paper = paperColor;
      }
      if (paletted) {
        const std::size_t kept = std::min<std::size_t>(ranked.size(), kPaletteSplits);
        std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(kept), ranked.end(),
                          [](const auto& a, const auto& b) { return a.first > b.first; });
        for (std::size_t k = 0; k < kept; ++k) splits.push_back(ranked[k].second);
        splits.insert(splits.end(), mixers.begin(), mixers.end());
        const PaletteSplit drawn = ChoosePaletteSplit(splits, count, {total[0], total[1], total[2]}, palette);
        chosen = splits[drawn.split].symbol, ink = drawn.ink, paper = drawn.paper;
        ranked.clear(), mixers.clear();
      }
      const ByteString& bytes = chosen < elements.size() ? bytesOf[chosen] : ByteString(" ");
      const double share =
          chosen < elements.size() ? static_cast<double>(std::popcount(elements[chosen].ink)) / count : 0.0;
      line += bytes;
      if (wanted == CellColors::Look) {
        inks.insert(inks.end(), bytes.size(), Blend(paper, ink, share));
      } else {
        inks.insert(inks.end(), bytes.size(), ink);
        papers.insert(papers.end(), bytes.size(), paper);
      }
    }
    WriteCellLine(sink, y, line, inks, papers);
  }
}

}  // namespace morvexa
