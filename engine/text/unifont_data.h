#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace morvexa {

// GNU Unifont's plane 0 as built into the program (resources/unifont.bin,
// made by tools/gen_unifont.py): a glyph of 8x16 or 16x16 pixels for each
// code point Unifont draws, and the offset at which it draws each combining
// character over the character before.
class UnifontData {
 public:
  static constexpr std::string_view kResourceName = "unifont";
  static constexpr int kHeight = 16;

  // A glyph: 16 rows of width / 8 bytes, the most significant bit of a
  // row's first byte its leftmost pixel; a set bit is inked.
  struct Glyph {
    std::span<const unsigned char> bits;
    int width = 0;  // 8 or 16
  };

  // Data in the layout of unifont.bin; data that does not hold together
  // (cut short, an index that points past the end) fails with "Stream read
  // error".
  explicit UnifontData(std::span<const unsigned char> data);

  // The data built into the program, read once.
  static const UnifontData& BuiltIn();

  // The glyph of c, or nothing when Unifont has none (past plane 0, the
  // private use area, unassigned code points).
  std::optional<Glyph> Find(char32_t c) const;

  // For a combining character, the columns from the end of the character
  // before to where Unifont draws it (-8: over the 8 columns before, 0:
  // where the next character starts); nothing for any other character.
  std::optional<int> CombiningOffset(char32_t c) const;

  std::size_t GlyphCount() const { return glyphCount_; }

 private:
  static constexpr std::size_t kBlocks = 1024;
  static constexpr std::size_t kBlockSize = 64;
  static constexpr std::size_t kPresentAt = 8;
  static constexpr std::size_t kWideAt = kPresentAt + 8 * kBlocks;
  static constexpr std::size_t kStartAt = kWideAt + 8 * kBlocks;
  static constexpr std::size_t kMarksAt = kStartAt + 4 * kBlocks;

  std::uint64_t Present(std::size_t block) const;
  std::uint64_t Wide(std::size_t block) const;
  std::uint32_t Start(std::size_t block) const;

  std::span<const unsigned char> data_;
  std::size_t glyphCount_ = 0;
  std::size_t markCount_ = 0;
  std::span<const unsigned char> bitmaps_;
};

}  // namespace morvexa
