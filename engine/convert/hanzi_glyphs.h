#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "morvexa/byte_string.h"
#include "morvexa/picture_options.h"

namespace morvexa {

// The Chinese characters a picture is drawn in and their glyphs, as cells
// are matched against them: each glyph's ink (0-1 a pixel of 16 x 16)
// blurred, seen from a reading distance, so that where its strokes are
// dense counts, not each stroke's exact place. The glyphs are the built-in
// 16 x 16 font's, or those of the font the art will be read in, each
// seen over its cell of two columns. Glyph 0 is always the full-width
// space (A1 A1), the blank paper.
class HanziGlyphs {
 public:
  static constexpr int kSide = 16;
  static constexpr int kPixels = kSide * kSide;
  // The coarse grid whose sums bound a glyph's distance from a cell.
  static constexpr int kBlockSide = 4;
  static constexpr int kBlocks = (kSide / kBlockSide) * (kSide / kBlockSide);
  static constexpr char kFullWidthSpace[] = "\xA1\xA1";

  using Patch = std::array<float, kPixels>;
  using BlockSums = std::array<float, kBlocks>;

  // How much of each of a character's 16 x 16 samples its glyph covers,
  // 0-1, into cover; false when the font has no glyph for it.
  using Coverage = std::function<bool(unsigned char lead, unsigned char trail, float* cover)>;

  // The glyphs of characters (code page 936, or the words "level1" and
  // "all"), those the font has with some ink, each once, in the order
  // given, after the full-width space: the built-in font's, or coverage's.
  explicit HanziGlyphs(ByteStringView characters);
  HanziGlyphs(ByteStringView characters, const Coverage& coverage);

  // The glyphs of characters in the font the art will be read in, made
  // once for each set and font: the built-in font when none is named; a
  // program's own drawing (of.drawnBy); else an installed font (a file, a
  // family or a fontconfig pattern). A font named that has no glyph for
  // any of the characters fails, refused (FailureCause::refusal), unless
  // of.fallBack, which takes the built-in font's.
  static std::shared_ptr<const HanziGlyphs> For(ByteStringView characters, const PictureOptions::GlyphsOf& of);

  std::size_t Count() const { return codes_.size(); }
  // The two bytes of glyph k.
  ByteStringView Code(std::size_t k) const { return codes_[k]; }
  const Patch& PatchOf(std::size_t k) const { return patches_[k]; }
  // Glyph k's ink as the font draws it: 1 a pixel inked, 0 not.
  const Patch& InkOf(std::size_t k) const { return inks_[k]; }
  // The glyph of the character of two bytes code; 0 (the full-width
  // space's, blank) when the glyphs have none for it.
  std::size_t IndexOf(ByteStringView code) const;
  // The sums of block b of every glyph, glyph by glyph; and the norm of
  // what is left of each glyph's patch once its blocks' means are taken
  // away (Residue).
  const std::vector<float>& BlockOfEach(std::size_t b) const { return blocks_[b]; }
  const std::vector<float>& Residues() const { return residues_; }
  // The share of glyph k's pixels that are inked.
  float ShareOf(std::size_t k) const { return shares_[k]; }
  // The largest share of ink of the glyphs.
  float Densest() const { return densest_; }

  // The 16 x 16 values blurred as a glyph is seen from afar: beyond the
  // edges, paper (edgesBlank: a glyph's) or the edge's own values (a
  // cell's, whose picture goes on).
  static void Blur(const float* in, float* out, bool edgesBlank);
  // The sums of each 4 x 4 block of a patch.
  static BlockSums SumBlocks(const float* patch);
  // The norm of a patch less the means of its blocks (sums).
  static float Residue(const float* patch, const BlockSums& sums);

 private:
  void Add(unsigned char lead, unsigned char trail, const float* cover);

  std::vector<ByteString> codes_;
  std::vector<Patch> patches_, inks_;
  std::unordered_map<unsigned, std::size_t> indexOfCode_;  // by the code's two bytes
  std::array<std::vector<float>, kBlocks> blocks_;
  std::vector<float> residues_, shares_;
  float densest_ = 0;
};

// The characters of the words --hanzi takes: "level1", the 3,755
// characters of GB2312's first level (rows B0-D7), and "all", its 6,763
// (rows B0-F7), as code page 936 bytes; any other text as it is.
ByteString HanziCharacters(ByteStringView asked);

}  // namespace morvexa
