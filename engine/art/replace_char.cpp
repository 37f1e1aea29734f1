#include "morvexa/replace_char.h"

#include <algorithm>

#include "morvexa/cp936.h"

namespace morvexa {

namespace {

// What a replacement does to the art, by the widths of its two symbols
// (see ReplaceChar).
enum class Width {
  Bytes,              // one byte by one byte, wherever the byte stands
  Characters,         // a character by a character, whole
  CharacterToSymbol,  // a character by a one-byte symbol twice
  SymbolToCharacter,  // two of a one-byte symbol side by side by a character
};

// Whether symbol is one character of code page 936 of two bytes.
bool IsCharacter(ByteStringView symbol) {
  char32_t c = 0;
  return symbol.size() == 2 && cp936::DecodeCodePageAt(symbol, 0, c) == 2;
}

// Whether symbol is one ASCII byte, a column wide: two of it side by side
// are never a character.
bool IsAscii(ByteStringView symbol) { return symbol.size() == 1 && static_cast<unsigned char>(symbol[0]) < 0x80; }

// Whether the list holds a character: the art is of characters (the
// Chinese characters' way of drawing lists each of its cells' characters).
bool ListsCharacters(const CharList& list) {
  for (int i = 0, n = list.Count(); i < n; ++i) {
    if (IsCharacter(list.Get(i))) return true;
  }
  return false;
}

// The list's part of a replacement: the selected entry leaves the list and
// the new symbol (the first two bytes of newText) joins it. On Done, the
// old and new symbols and what the replacement does to the art.
ReplaceResult SwapListed(CharList& list, ByteStringView newText, ByteString& oldSymbol, ByteString& newSymbol,
                         Width& width) {
  const int selected = list.Selected();
  if (selected < 0) return ReplaceResult::NothingSelected;
  oldSymbol = ByteString(FirstTwoBytes(list.Get(selected)));
  newSymbol = ByteString(FirstTwoBytes(newText));
  if (oldSymbol.size() == 1 && newSymbol.size() == 1) {
    width = Width::Bytes;
  } else if (oldSymbol.size() == 2 && IsCharacter(newSymbol)) {
    width = Width::Characters;
  } else if (oldSymbol.size() == 2 && IsAscii(newSymbol)) {
    width = Width::CharacterToSymbol;
  } else if (IsAscii(oldSymbol) && IsCharacter(newSymbol) && ListsCharacters(list)) {
    width = Width::SymbolToCharacter;
  } else {
    return ReplaceResult::LengthMismatch;
  }
  list.Delete(selected);
  list.AddIfAbsent(newSymbol);
  return ReplaceResult::Done;
}

bool InLineBreak(char c) { return c == '\r' || c == '\n'; }

// Line with its characters replaced as width says, walking it a whole
// character at a time as code page 936 reads it, so that no trail byte is
// taken for part of a symbol. Every replacement keeps the line's bytes and
// columns: a character is two of each, as are two one-byte symbols.
ByteString ReplacedWhole(ByteStringView line, ByteStringView oldSymbol, ByteStringView newSymbol, Width width) {
  ByteString out;
  out.reserve(line.size());
  for (std::size_t i = 0; i < line.size();) {
    char32_t c = 0;
    const std::size_t length = cp936::DecodeCodePageAt(line, i, c);
    const ByteStringView here = line.substr(i, length);
    if (width == Width::SymbolToCharacter && here == oldSymbol && i + 1 < line.size() && line[i + 1] == oldSymbol[0]) {
      out += newSymbol;
      i += 2;
      continue;
    }
    if (width != Width::SymbolToCharacter && here == oldSymbol) {
      out += width == Width::CharacterToSymbol ? ByteString(2, newSymbol[0]) : ByteString(newSymbol);
    } else {
      out += here;
    }
    i += length;
  }
  return out;
}

}  // namespace

ReplaceResult ReplaceChar(CharList& list, ByteStringView newText, ArtArea& area) {
  ByteString oldSymbol, newSymbol;
  Width width = Width::Bytes;
  const ReplaceResult result = SwapListed(list, newText, oldSymbol, newSymbol, width);
  if (result != ReplaceResult::Done) return result;
  // Only a one-byte symbol can equal a byte of the art. A new symbol may
  // make a line break of a CR and an LF, and so more lines: every one is
  // visited.
  if (width == Width::Bytes) {
    for (std::size_t i = 0; i < area.LineCount(); ++i) {
      ByteString line = area.GetLine(i);
      if (line.find(oldSymbol[0]) == ByteString::npos) continue;
      std::replace(line.begin(), line.end(), oldSymbol[0], newSymbol[0]);
      area.SetLine(i, line);
    }
    return result;
  }
  const ByteString sought = width == Width::SymbolToCharacter ? ByteString(2, oldSymbol[0]) : oldSymbol;
  for (std::size_t i = 0; i < area.LineCount(); ++i) {
    const ByteString line = area.GetLine(i);
    if (line.find(sought) == ByteString::npos) continue;
    ByteString replaced = ReplacedWhole(line, oldSymbol, newSymbol, width);
    if (replaced != line) area.SetLine(i, replaced);
  }
  return result;
}

ByteReplacements::ByteReplacements() {
  for (std::size_t b = 0; b < to_.size(); ++b) to_[b] = static_cast<char>(b);
}

ReplaceResult ByteReplacements::Add(CharList& list, ByteStringView newText) {
  ByteString oldSymbol, newSymbol;
  Width width = Width::Bytes;
  const ReplaceResult result = SwapListed(list, newText, oldSymbol, newSymbol, width);
  if (result != ReplaceResult::Done) return result;
  if (width != Width::Bytes) {
    // Characters are replaced whole, on the whole art.
    asItPasses_ = false;
    return result;
  }
  if (InLineBreak(oldSymbol[0]) || InLineBreak(newSymbol[0])) asItPasses_ = false;
  for (char& to : to_) {
    if (to == oldSymbol[0]) to = newSymbol[0];
  }
  return result;
}

void ByteReplacements::Apply(std::span<char> bytes) const {
  for (char& c : bytes) c = to_[static_cast<unsigned char>(c)];
}

ByteStringView ReplacingSink::Replaced(ByteStringView bytes) {
  bytes_.assign(bytes);
  replacements_.Apply(bytes_);
  return bytes_;
}

void ReplacingSink::WriteLine(std::size_t i, ByteStringView line) { to_.WriteLine(i, Replaced(line)); }

void ReplacingSink::WriteLines(std::size_t first, std::size_t count, ByteStringView text) {
  // Line breaks are kept: no replacement takes their bytes as it passes.
  to_.WriteLines(first, count, Replaced(text));
}

void ReplacingSink::WriteColoredLine(std::size_t i, ByteStringView line, LineColors colors) {
  to_.WriteColoredLine(i, Replaced(line), colors);
}

void ReplacingSink::WriteColoredLines(std::size_t first, std::size_t count, ByteStringView text, LineColors colors) {
  to_.WriteColoredLines(first, count, Replaced(text), colors);
}

void ReplacingSink::WriteLinePart(ByteStringView part, LineColors colors) { to_.WriteLinePart(Replaced(part), colors); }

}  // namespace morvexa
