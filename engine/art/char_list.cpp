#include "morvexa/char_list.h"

#include <algorithm>

namespace morvexa {

namespace {

constexpr unsigned char UpperAscii(unsigned char c) { return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c; }

}  // namespace

bool SymbolsMatch(ByteStringView a, ByteStringView b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return UpperAscii(static_cast<unsigned char>(x)) == UpperAscii(static_cast<unsigned char>(y));
  });
}

void CharList::AddIfAbsent(ByteStringView s) {
  for (int i = 0, n = Count(); i < n; ++i) {
    if (SymbolsMatch(Get(i), s)) return;
  }
  Add(s);
}

}  // namespace morvexa
