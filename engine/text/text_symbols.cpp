#include "morvexa/text_symbols.h"

#include <langinfo.h>
#include <locale.h>
#include <wchar.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>

#include "morvexa/cp936.h"

namespace morvexa {

namespace {

bool IsOneByteSymbol(ByteStringView text) {
  return text.size() == 1 && !IsLeadByte(static_cast<unsigned char>(text[0]));
}

// The first characters of text that fit in two columns, and their columns;
// nothing when the first has no width or cannot be shown.
std::optional<std::pair<std::u32string, std::size_t>> DisplaySymbol(std::u32string_view text) {
  std::u32string symbol;
  std::size_t columns = 0;
  for (const char32_t c : text) {
    const int width = ColumnsOf(c);
    if (width <= 0) {
      if (symbol.empty()) return {};
      break;
    }
    if (columns + static_cast<std::size_t>(width) > 2) break;
    symbol += c;
    columns += static_cast<std::size_t>(width);
  }
  return std::pair{symbol, columns};
}

// symbol (of columns columns) joined with itself until it takes width
// columns; an empty one stays empty.
ByteString WidenToColumns(const std::u32string& symbol, std::size_t columns, std::size_t width) {
  ByteString bytes;
  if (symbol.empty()) return bytes;
  std::u32string widened = symbol;
  std::size_t taken = columns;
  for (std::size_t i = 0; taken < width; ++i) {
    const char32_t c = symbol[i % symbol.size()];
    const auto w = static_cast<std::size_t>(ColumnsOf(c));
    if (taken + w > width) break;
    widened += c;
    taken += w;
  }
  for (const char32_t c : widened) cp936::AppendEncoded(c, bytes);
  return bytes;
}

}  // namespace

int ColumnsOf(char32_t c) {
  static const bool utf8Locale = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  if (utf8Locale) return wcwidth(static_cast<wchar_t>(c));
  struct FreeLocale {
    void operator()(locale_t locale) const { freelocale(locale); }
  };
  static const std::unique_ptr<std::remove_pointer_t<locale_t>, FreeLocale> utf8(
      newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{}));
  if (!utf8) return c < 0x7F ? (c >= 0x20 ? 1 : -1) : 1;
  const locale_t before = uselocale(utf8.get());
  const int width = wcwidth(static_cast<wchar_t>(c));
  uselocale(before);
  return width;
}

ByteString TextSymbols::Self(char32_t c) const {
  if (columns == 0) {
    ByteString bytes(1, '?');
    if (cp936::CanEncode(c)) {
      bytes.clear();
      cp936::AppendEncoded(c, bytes);
    }
    return WidenSymbol(bytes, blank.size());
  }
  const int width = ColumnsOf(c);
  if (width <= 0) return WidenToColumns(U"?", 1, columns);
  return WidenToColumns(std::u32string(1, c), static_cast<std::size_t>(width), columns);
}

std::optional<TextSymbols> MakeDisplaySymbols(std::u32string_view foreText, std::u32string_view backText) {
  const auto fore = foreText.empty() ? std::pair<std::u32string, std::size_t>{} : DisplaySymbol(foreText);
  const auto back = backText.empty() ? std::pair<std::u32string, std::size_t>{} : DisplaySymbol(backText);
  if (!fore || !back) return {};
  const bool self = foreText == U"字";
  // A character drawn with itself may take two columns.
  const std::size_t width = std::max({fore->second, back->second, std::size_t{self ? 2u : 0u}, std::size_t{1}});
  return TextSymbols{WidenToColumns(fore->first, fore->second, width), WidenToColumns(back->first, back->second, width),
                     self, width};
}

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
