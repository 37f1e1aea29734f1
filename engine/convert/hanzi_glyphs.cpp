#include "convert/hanzi_glyphs.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <optional>
#include <tuple>

#include "morvexa/cp936.h"
#include "morvexa/failure.h"
#include "morvexa/shown_path.h"
#include "text/cell_coverage.h"
#include "text/font_glyph_source.h"
#include "text/glyph_font.h"

namespace morvexa {

namespace {

// The blur of a glyph seen from a reading distance: a Gaussian of a pixel,
// counted three pixels each side.
constexpr float kBlur = 1.0f;
constexpr int kReach = 3;

std::array<float, kReach + 1> Kernel() {
  std::array<float, kReach + 1> kernel{};
  float sum = 0;
  for (int i = -kReach; i <= kReach; ++i) sum += std::exp(-0.5f * static_cast<float>(i * i) / (kBlur * kBlur));
  for (int i = 0; i <= kReach; ++i) {
    kernel[static_cast<std::size_t>(i)] = std::exp(-0.5f * static_cast<float>(i * i) / (kBlur * kBlur)) / sum;
  }
  return kernel;
}

// GB2312's first level ends at D7F9; the rest of row D7 is unassigned.
constexpr unsigned char kLevel1LastTrail = 0xF9;

}  // namespace

ByteString HanziCharacters(ByteStringView asked) {
  const bool level1 = asked == "level1";
  if (!level1 && asked != "all") return ByteString(asked);
  ByteString characters;
  const unsigned char lastLead = level1 ? 0xD7 : 0xF7;
  for (unsigned lead = 0xB0; lead <= lastLead; ++lead) {
    for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
      if (lead == 0xD7 && trail > kLevel1LastTrail) break;
      characters += static_cast<char>(lead);
      characters += static_cast<char>(trail);
    }
  }
  return characters;
}

void HanziGlyphs::Blur(const float* in, float* out, bool edgesBlank) {
  static const std::array<float, kReach + 1> kernel = Kernel();
  const auto at = [&](const float* values, int x, int y) {
    if (x < 0 || x >= kSide || y < 0 || y >= kSide) {
      if (edgesBlank) return 0.0f;
      x = std::clamp(x, 0, kSide - 1), y = std::clamp(y, 0, kSide - 1);
    }
    return values[y * kSide + x];
  };
  float across[kPixels];
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      float sum = kernel[0] * at(in, x, y);
      for (int i = 1; i <= kReach; ++i)
        sum += kernel[static_cast<std::size_t>(i)] * (at(in, x - i, y) + at(in, x + i, y));
      across[y * kSide + x] = sum;
    }
  }
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      float sum = kernel[0] * at(across, x, y);
      for (int i = 1; i <= kReach; ++i) {
        sum += kernel[static_cast<std::size_t>(i)] * (at(across, x, y - i) + at(across, x, y + i));
      }
      out[y * kSide + x] = sum;
    }
  }
}

HanziGlyphs::BlockSums HanziGlyphs::SumBlocks(const float* patch) {
  BlockSums sums{};
  constexpr int across = kSide / kBlockSide;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      sums[static_cast<std::size_t>(y / kBlockSide * across + x / kBlockSide)] += patch[y * kSide + x];
    }
  }
  return sums;
}

float HanziGlyphs::Residue(const float* patch, const BlockSums& sums) {
  constexpr int across = kSide / kBlockSide;
  constexpr float kBlockPixels = kBlockSide * kBlockSide;
  float squares = 0;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const float d = patch[y * kSide + x] -
                      sums[static_cast<std::size_t>(y / kBlockSide * across + x / kBlockSide)] / kBlockPixels;
      squares += d * d;
    }
  }
  return std::sqrt(squares);
}

namespace {

unsigned TwoBytes(unsigned char lead, unsigned char trail) { return static_cast<unsigned>(lead) << 8 | trail; }

// The built-in font's glyph of a character: each pixel inked or not.
bool BuiltInCoverage(const GlyphFont& font, unsigned char lead, unsigned char trail, float* cover) {
  if (!GlyphFont::OwnCode(lead, trail) || GlyphFont::GlyphIndex(lead, trail) >= font.GlyphCount()) return false;
  const GlyphFont::GlyphBytes glyph = font.Glyph(lead, trail);
  for (int y = 0; y < HanziGlyphs::kSide; ++y) {
    const std::uint16_t bits = GlyphFont::RowBits(glyph, y);
    for (int x = 0; x < HanziGlyphs::kSide; ++x) cover[y * HanziGlyphs::kSide + x] = GlyphFont::IsInked(bits, x);
  }
  return true;
}

// The Unicode character of two bytes of code page 936.
char32_t CharacterOf(unsigned char lead, unsigned char trail) {
  char32_t c = 0;
  const char bytes[] = {static_cast<char>(lead), static_cast<char>(trail)};
  return cp936::DecodeAt(ByteStringView(bytes, 2), 0, c) == 2 && !cp936::IsByteEscape(c) ? c : 0;
}

// A glyph a program draws, over the 16 x 16 samples of its cell.
bool DrawnCoverage(const DrawnCell& cell, float* cover) {
  constexpr int kSide = HanziGlyphs::kSide;
  if (cell.width <= 0 || cell.height <= 0 || cell.cellWide <= 0 || cell.cellHigh <= 0 ||
      cell.coverage.size() != static_cast<std::size_t>(cell.width) * static_cast<std::size_t>(cell.height)) {
    return false;
  }
  const auto coverageAt = [&](int x, int y) {
    return cell.coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(cell.width) +
                         static_cast<std::size_t>(x)] /
           255.0;
  };
  CoverCell(0, 0, cell.width, cell.height, coverageAt, cell.cellWide, cell.cellHigh, kSide, kSide, cover);
  return true;
}

}  // namespace

HanziGlyphs::HanziGlyphs(ByteStringView characters)
    : HanziGlyphs(characters, [font = GlyphFont::Open()](unsigned char lead, unsigned char trail, float* cover) {
        return BuiltInCoverage(font, lead, trail, cover);
      }) {}

HanziGlyphs::HanziGlyphs(ByteStringView asked, const Coverage& coverage) {
  std::array<float, kPixels> cover{};
  const ByteString characters = HanziCharacters(asked);
  // Each glyph's patches are a kilobyte: room for all at once.
  const std::size_t most = characters.size() / 2 + 1;
  patches_.reserve(most), inks_.reserve(most), codes_.reserve(most);
  for (std::vector<float>& block : blocks_) block.reserve(most);
  residues_.reserve(most), shares_.reserve(most);
  Add(0xA1, 0xA1, cover.data());
  for (std::size_t i = 0; i < characters.size();) {
    const auto lead = static_cast<unsigned char>(characters[i]);
    if (lead < 0x80 || i + 1 == characters.size()) {
      ++i;
      continue;
    }
    const auto trail = static_cast<unsigned char>(characters[i + 1]);
    i += 2;
    if (indexOfCode_.count(TwoBytes(lead, trail)) != 0) continue;
    if (!coverage(lead, trail, cover.data())) continue;
    if (std::all_of(cover.begin(), cover.end(), [](float v) { return v <= 0; })) continue;
    Add(lead, trail, cover.data());
  }
}

std::shared_ptr<const HanziGlyphs> HanziGlyphs::For(ByteStringView characters, const PictureOptions::GlyphsOf& of) {
  // The last few sets made are kept: an animation's frames, a window's
  // previews, ask for the same again and again.
  constexpr std::size_t kKept = 4;
  using Key = std::tuple<ByteString, std::string, int, bool>;
  static std::mutex mutex;
  static std::vector<std::pair<Key, std::shared_ptr<const HanziGlyphs>>> kept;
  Key key{ByteString(characters), of.font, of.font.empty() ? 0 : of.pixels, static_cast<bool>(of.drawnBy)};
  {
    const std::lock_guard lock(mutex);
    for (const auto& [k, glyphs] : kept) {
      if (k == key) return glyphs;
    }
  }
  std::shared_ptr<const HanziGlyphs> made;
  if (of.font.empty()) {
    made = std::make_shared<const HanziGlyphs>(characters);
  } else if (of.drawnBy) {
    made = std::make_shared<const HanziGlyphs>(characters, [&](unsigned char lead, unsigned char trail, float* cover) {
      const char32_t c = CharacterOf(lead, trail);
      const std::optional<DrawnCell> cell = c ? of.drawnBy(c) : std::nullopt;
      return cell && DrawnCoverage(*cell, cover);
    });
  } else {
    try {
      std::optional<FontGlyphSource> source;
      made =
          std::make_shared<const HanziGlyphs>(characters, [&](unsigned char lead, unsigned char trail, float* cover) {
            if (!source) source.emplace(FontGlyphSource::Open(of.font, of.pixels));
            const char32_t c = CharacterOf(lead, trail);
            return c != 0 && source->CellCoverage(c, kSide, kSide, cover);
          });
    } catch (const Failure&) {
      if (!of.fallBack) throw;
    }
  }
  if (!made || (made->Count() < 2 && !of.font.empty())) {
    if (!of.fallBack) {
      throw Failure(FailureKind::CannotOpenFont, of.font,
                    {.refusal = "--glyphs-of: " + QuotedName(of.font) +
                                " has no glyph for any of the Chinese characters asked for; the built-in font has "
                                "those of GB2312"});
    }
    made = std::make_shared<const HanziGlyphs>(characters);
  }
  const std::lock_guard lock(mutex);
  if (kept.size() == kKept) kept.erase(kept.begin());
  kept.emplace_back(std::move(key), made);
  return made;
}

std::size_t HanziGlyphs::IndexOf(ByteStringView code) const {
  if (code.size() != 2) return 0;
  const auto found =
      indexOfCode_.find(TwoBytes(static_cast<unsigned char>(code[0]), static_cast<unsigned char>(code[1])));
  return found == indexOfCode_.end() ? 0 : found->second;
}

void HanziGlyphs::Add(unsigned char lead, unsigned char trail, const float* cover) {
  Patch ink;
  std::copy(cover, cover + kPixels, ink.begin());
  // Coverage past 1 (a program's drawing, overlapping) is ink all the same.
  float inked = 0;
  for (float& v : ink) v = std::clamp(v, 0.0f, 1.0f), inked += v;
  Patch patch;
  Blur(ink.data(), patch.data(), true);
  indexOfCode_.emplace(TwoBytes(lead, trail), codes_.size());
  inks_.push_back(ink);
  codes_.push_back(ByteString{static_cast<char>(lead), static_cast<char>(trail)});
  patches_.push_back(patch);
  const BlockSums sums = SumBlocks(patch.data());
  for (std::size_t b = 0; b < sums.size(); ++b) blocks_[b].push_back(sums[b]);
  residues_.push_back(Residue(patch.data(), sums));
  shares_.push_back(inked / kPixels);
  densest_ = std::max(densest_, shares_.back());
}

}  // namespace morvexa
