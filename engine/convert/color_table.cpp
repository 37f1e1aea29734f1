#include "convert/color_table.h"

namespace morvexa {

unsigned char ColorTable::Add(Rgb c) {
  const unsigned char symbol = SymbolOf(size_);
  if (Full()) return symbol;
  filter_[FilterIndex(c)] = 1;
  std::size_t slot = Mix(c) % kSlots;
  while (colors_[slot] != kEmpty) slot = (slot + 1) % kSlots;
  colors_[slot] = c;
  symbols_[slot] = symbol;
  ++size_;
  return symbol;
}

}  // namespace morvexa
