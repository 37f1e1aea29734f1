#include "convert/hanzi_glyphs.h"

#include <algorithm>
#include <cmath>
#include <set>

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

HanziGlyphs::HanziGlyphs(ByteStringView asked) {
  Add(0xA1, 0xA1);
  const ByteString characters = HanziCharacters(asked);
  const GlyphFont font = GlyphFont::Open();
  std::set<std::size_t> seen{GlyphFont::GlyphIndex(0xA1, 0xA1)};
  for (std::size_t i = 0; i < characters.size();) {
    const auto lead = static_cast<unsigned char>(characters[i]);
    if (lead < 0x80 || i + 1 == characters.size()) {
      ++i;
      continue;
    }
    const auto trail = static_cast<unsigned char>(characters[i + 1]);
    i += 2;
    if (!GlyphFont::OwnCode(lead, trail) || GlyphFont::GlyphIndex(lead, trail) >= font.GlyphCount()) continue;
    if (!seen.insert(GlyphFont::GlyphIndex(lead, trail)).second) continue;
    const GlyphFont::GlyphBytes glyph = font.Glyph(lead, trail);
    if (std::all_of(glyph.begin(), glyph.end(), [](unsigned char b) { return b == 0; })) continue;
    Add(lead, trail);
  }
}

std::size_t HanziGlyphs::IndexOf(ByteStringView code) const {
  if (code.size() != 2) return 0;
  const auto lead = static_cast<unsigned char>(code[0]), trail = static_cast<unsigned char>(code[1]);
  if (!GlyphFont::OwnCode(lead, trail)) return 0;
  const auto found = indexOfFontGlyph_.find(GlyphFont::GlyphIndex(lead, trail));
  return found == indexOfFontGlyph_.end() ? 0 : found->second;
}

void HanziGlyphs::Add(unsigned char lead, unsigned char trail) {
  const GlyphFont font = GlyphFont::Open();
  const GlyphFont::GlyphBytes glyph = font.Glyph(lead, trail);
  float ink[kPixels];
  float inked = 0;
  for (int y = 0; y < kSide; ++y) {
    const std::uint16_t bits = GlyphFont::RowBits(glyph, y);
    for (int x = 0; x < kSide; ++x) {
      // The full-width space is paper, whatever the font draws for it.
      const bool on = codes_.empty() ? false : GlyphFont::IsInked(bits, x);
      ink[y * kSide + x] = on ? 1.0f : 0.0f;
      inked += on ? 1.0f : 0.0f;
    }
  }
  Patch patch;
  Blur(ink, patch.data(), true);
  indexOfFontGlyph_.emplace(GlyphFont::GlyphIndex(lead, trail), codes_.size());
  inks_.emplace_back();
  std::copy(ink, ink + kPixels, inks_.back().begin());
  codes_.push_back(ByteString{static_cast<char>(lead), static_cast<char>(trail)});
  patches_.push_back(patch);
  const BlockSums sums = SumBlocks(patch.data());
  for (std::size_t b = 0; b < sums.size(); ++b) blocks_[b].push_back(sums[b]);
  residues_.push_back(Residue(patch.data(), sums));
  shares_.push_back(inked / kPixels);
  densest_ = std::max(densest_, shares_.back());
}

}  // namespace morvexa
