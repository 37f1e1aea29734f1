#include "convert/fine_blocks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "convert/block_elements.h"
#include "convert/cell_fit.h"
#include "convert/cell_line.h"
#include "convert/cell_rows.h"
#include "convert/ink_and_paper.h"
#include "morvexa/cp936.h"

namespace morvexa {

namespace {

// How the levels' tones are lifted toward light, and how much a cell's
// share of ink from afar counts, in samples each: enough for tones to come
// through without stippling smooth parts. (Measured by bench/first_look.py
// beside chafa on terminals without colors: both its measures at once.)
constexpr float kLift = 0.7f;
constexpr float kToneWeight = 0.85f;

struct Element {
  char32_t character;
  FitShape ink;
};

// The elements, each once; with full, the full block too (which, with
// colors, is the space with its colors turned round).
std::vector<Element> ElementsOf(bool codePage936Only, bool full) {
  std::vector<char32_t> characters(std::begin(kByQuarters), std::end(kByQuarters));
  characters.insert(characters.end(), std::begin(kLowerEighths) + 1, std::end(kLowerEighths));
  characters.insert(characters.end(), std::begin(kLeftEighths) + 1, std::end(kLeftEighths));
  std::vector<Element> elements;
  for (const char32_t character : characters) {
    if (character == U'█' && !full) continue;
    if (codePage936Only && character != U' ' && !cp936::CanEncode(character)) continue;
    if (std::any_of(elements.begin(), elements.end(), [&](const Element& e) { return e.character == character; })) {
      continue;
    }
    Element element{character, {}};
    for (int i = 0; i < kFitSamples; ++i) {
      element.ink[static_cast<std::size_t>(i)] =
          BlockInks(character, i % kFitSamplesWide, i / kFitSamplesWide, kFitSamplesWide, kFitSamplesHigh) ? 1.0f
                                                                                                           : 0.0f;
    }
    elements.push_back(element);
  }
  return elements;
}

}  // namespace

void FineBlocksToArt(PictureReader& samples, std::size_t columns, bool codePage936Only, bool invert,
                     const ToneLevels& levels, const TerminalPalette& palette, CharList& list, ArtSink& sink) {
  sink.Clear();
  list.Clear();
  const CellColors wanted = sink.Colors();
  const std::vector<Element> elements = ElementsOf(codePage936Only, wanted == CellColors::None);
  std::vector<FitShape> shapes;
  std::vector<ByteString> bytesOf;
  std::vector<float> shareOf;
  for (const Element& element : elements) {
    shapes.push_back(element.ink);
    ByteString bytes;
    cp936::AppendEncoded(element.character, bytes);
    bytesOf.push_back(bytes);
    float inked = 0;
    for (const float v : element.ink) inked += v;
    shareOf.push_back(inked / kFitSamples);
  }
  CellFit fit(shapes, palette);
  // Without colors: the share of ink each luma asks for.
  std::array<float, 256> toneOf{};
  for (std::size_t v = 0; v < toneOf.size(); ++v) {
    const float lightness = std::pow(
        std::clamp((static_cast<float>(v) - levels.Low()) / (levels.High() - levels.Low()), 0.0f, 1.0f), kLift);
    toneOf[v] = invert ? lightness : 1 - lightness;
  }
  CellRows rows(samples, columns, kFitSamplesWide, kFitSamplesHigh);
  std::array<float, kFitSamples> red, green, blue, tones;
  std::array<std::int16_t, kFitSamples> lumas;
  ByteString line;
  std::vector<Rgb> inks, papers;
  CellCache<kFitSamples, std::size_t> inkSeen;
  for (std::size_t y = 0; rows.Next(); ++y) {
    line.clear(), inks.clear(), papers.clear();
    for (std::size_t x = 0; x < columns; ++x) {
      if (wanted == CellColors::None) {
        rows.Lumas(x, lumas.data());
        CellCache<kFitSamples, std::size_t>::Key key;
        std::copy(lumas.begin(), lumas.end(), key.begin());
        std::size_t shape;
        if (const std::size_t* seen = inkSeen.Find(key)) {
          shape = *seen;
        } else {
          for (std::size_t i = 0; i < tones.size(); ++i) tones[i] = toneOf[static_cast<std::size_t>(lumas[i])];
          shape = NearestShape(shapes, tones.data(), kToneWeight);
          inkSeen.Keep(key, shape);
        }
        line += bytesOf[shape];
        continue;
      }
      rows.Samples(x, red.data(), green.data(), blue.data());
      const CellFit::Drawn drawn = fit.Fit(red.data(), green.data(), blue.data());
      const ByteString& bytes = bytesOf[drawn.shape];
      line += bytes;
      if (wanted == CellColors::Look) {
        inks.insert(inks.end(), bytes.size(), Blend(drawn.paper, drawn.ink, shareOf[drawn.shape]));
      } else {
        inks.insert(inks.end(), bytes.size(), drawn.ink);
        papers.insert(papers.end(), bytes.size(), drawn.paper);
      }
    }
    WriteCellLine(sink, y, line, inks, papers);
  }
}

}  // namespace morvexa
