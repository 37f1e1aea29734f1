#include "text/text_symbols.h"

#include <algorithm>

namespace morvexa {

namespace {

bool IsOneByteSymbol(ByteStringView text) {
  return text.size() == 1 && !IsLeadByte(static_cast<unsigned char>(text[0]));
}

}  // namespace

ByteString WidenSymbol(ByteStringView symbol, std::size_t width) {
  ByteString out(symbol);
  if (!out.empty() && out.size() < width) out = (out + out).substr(0, 2);
  return out;
}

TextSymbols MakeTextSymbols(ByteStringView foreText, ByteStringView backText) {
  const std::size_t width = std::max(FirstTwoBytes(foreText).size(), FirstTwoBytes(backText).size());
  return {WidenSymbol(FirstTwoBytes(foreText), width), WidenSymbol(FirstTwoBytes(backText), width),
          foreText == kSelfCharacter};
}

void ListTextSymbols(ByteStringView foreText, ByteStringView backText, CharList& list) {
  list.Clear();
  if (IsOneByteSymbol(foreText)) list.Add(foreText);
  if (IsOneByteSymbol(backText)) list.Add(backText);
}

}  // namespace morvexa
