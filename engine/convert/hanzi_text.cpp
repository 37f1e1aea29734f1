#include "convert/hanzi_text.h"

#include "morvexa/cp936.h"

namespace morvexa {

namespace {

constexpr char32_t kFullWidthSpace = 0x3000;
// Printable ASCII's full-width forms run from U+FF01 (！) in the same order.
constexpr char32_t kFullWidthOffset = 0xFF01 - 0x21;

}  // namespace

ByteString LaidText(ByteStringView text) {
  ByteString laid;
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = 0;
    i += cp936::DecodeCodePageAt(text, i, c);
    if (c <= 0x20 || c == 0x7F || c == kFullWidthSpace || cp936::IsByteEscape(c)) continue;
    if (c < 0x7F) c += kFullWidthOffset;
    ByteString bytes;
    cp936::AppendEncoded(c, bytes);
    if (bytes.size() == 2) laid += bytes;
  }
  return laid;
}

}  // namespace morvexa
