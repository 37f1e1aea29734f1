#include "color_table.h"

#include <new>

namespace morvexa {

ColorTable::ColorTable() : symbols_(static_cast<unsigned char*>(std::calloc(1u << 24, 1))) {
  if (!symbols_) throw std::bad_alloc();
}

unsigned char ColorTable::Add(Rgb c) {
  const unsigned char symbol = SymbolOf(size_++);
  symbols_.get()[c & 0xFFFFFF] = symbol;
  return symbol;
}

}  // namespace morvexa
