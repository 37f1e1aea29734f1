#include "color_table.h"

namespace morvexa {

unsigned char ColorTable::Add(Rgb c) {
  const unsigned char symbol = SymbolOf(size_);
  if (Full()) return symbol;
  const std::uint32_t bit = FilterBit(c);
  filter_[bit / 64] |= std::uint64_t{1} << (bit % 64);
  std::size_t slot = Mix(c) % kSlots;
  while (colors_[slot] != kEmpty) slot = (slot + 1) % kSlots;
  colors_[slot] = c;
  symbols_[slot] = symbol;
  ++size_;
  return symbol;
}

}  // namespace morvexa
