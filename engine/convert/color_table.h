#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "morvexa/color.h"
#include "morvexa/picture_options.h"

namespace morvexa {

// The distinct colors met in one picture conversion, numbered in the order
// in which they were first met.
//
// Color number i draws as the symbol code 32 + i up to 126 and as 33 ("!")
// from number 95 on, so the table keeps only the first 95 colors: every
// later one draws as "!", met before or not. They sit in a small open-
// addressed table that stays in the processor's fastest cache, so a lookup
// costs the same whether the picture has four colors or millions.
class ColorTable {
 public:
  static constexpr std::size_t kNumbered = PictureOptions::kMostColors;

  // The symbol of color number i.
  static constexpr unsigned char SymbolOf(std::size_t i) {
    return i + 32 <= 126 ? static_cast<unsigned char>(32 + i) : 33;
  }

  ColorTable() { colors_.fill(kEmpty); }

  // The symbol of c, or 0 when c has not been met (or came after the 95th).
  unsigned char Find(Rgb c) const { return MayHold(c) ? Look(c) : 0; }

  // False when c is certainly not in the table: most colors of a
  // photograph are not, and one byte of a small filter tells.
  bool MayHold(Rgb c) const { return filter_[FilterIndex(c)] != 0; }
  // The symbol of c, or 0, past the filter.
  unsigned char Look(Rgb c) const {
    for (std::size_t slot = Mix(c) % kSlots;; slot = (slot + 1) % kSlots) {
      if (colors_[slot] == c) return symbols_[slot];
      if (colors_[slot] == kEmpty) return 0;
    }
  }
  // Numbers c, which has not been met, unless 95 colors are numbered
  // already; returns its symbol.
  unsigned char Add(Rgb c);
  // Whether every later new color draws as "!".
  bool Full() const { return size_ >= kNumbered; }

 private:
  static constexpr std::size_t kSlots = 256;
  // A byte a hash value rather than a bit: a test is one load.
  static constexpr std::uint32_t kFilterSize = 16384;
  static constexpr Rgb kEmpty = 0xFFFFFFFF;  // no 24-bit color
  static constexpr std::uint32_t FilterIndex(Rgb c) { return (c * 0x9E3779B1u) >> 18; }
  // Colors of a picture differ in few bits: each bit of the hash depends
  // on all of them, so that neighbors do not crowd together.
  static constexpr std::uint32_t Mix(Rgb c) {
    c ^= c >> 16;
    c *= 0x7FEB352Du;
    c ^= c >> 15;
    c *= 0x846CA68Bu;
    return c ^ (c >> 16);
  }

  std::array<Rgb, kSlots> colors_;
  std::array<unsigned char, kSlots> symbols_{};
  std::array<unsigned char, kFilterSize> filter_{};
  std::size_t size_ = 0;
};

}  // namespace morvexa
