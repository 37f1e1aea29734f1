#include "morvexa/char_list.h"

namespace morvexa {

namespace {

constexpr unsigned char UpperAscii(unsigned char c) { return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c; }

}  // namespace

bool SymbolsMatch(ByteStringView a, ByteStringView b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (IsLeadByte(x) && i + 1 < a.size()) {
      // A character, trail byte and all, as it is: a trail byte in the
      // range of a-z is no letter.
      if (x != y || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (UpperAscii(x) != UpperAscii(y)) {
      return false;
    }
  }
  return true;
}

void CharList::AddIfAbsent(ByteStringView s) {
  for (int i = 0, n = Count(); i < n; ++i) {
    if (SymbolsMatch(Get(i), s)) return;
  }
  Add(s);
}

}  // namespace morvexa
