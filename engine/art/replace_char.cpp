#include "morvexa/replace_char.h"

#include <algorithm>

namespace morvexa {

namespace {

// The list's part of a replacement: the selected entry leaves the list and
// the new symbol (the first two bytes of newText) joins it. On Done, the
// old and new symbols.
ReplaceResult SwapListed(CharList& list, ByteStringView newText, ByteString& oldSymbol, ByteString& newSymbol) {
  const int selected = list.Selected();
  if (selected < 0) return ReplaceResult::NothingSelected;
  oldSymbol = ByteString(FirstTwoBytes(list.Get(selected)));
  newSymbol = ByteString(FirstTwoBytes(newText));
  if (oldSymbol.size() != newSymbol.size()) return ReplaceResult::LengthMismatch;
  list.Delete(selected);
  list.AddIfAbsent(newSymbol);
  return ReplaceResult::Done;
}

bool InLineBreak(char c) { return c == '\r' || c == '\n'; }

}  // namespace

ReplaceResult ReplaceChar(CharList& list, ByteStringView newText, ArtArea& area) {
  ByteString oldSymbol, newSymbol;
  const ReplaceResult result = SwapListed(list, newText, oldSymbol, newSymbol);
  // Only a one-byte symbol can equal a byte of the art. A new symbol may
  // make a line break of a CR and an LF, and so more lines: every one is
  // visited.
  if (result == ReplaceResult::Done && oldSymbol.size() == 1) {
    for (std::size_t i = 0; i < area.LineCount(); ++i) {
      ByteString line = area.GetLine(i);
      if (line.find(oldSymbol[0]) == ByteString::npos) continue;
      std::replace(line.begin(), line.end(), oldSymbol[0], newSymbol[0]);
      area.SetLine(i, line);
    }
  }
  return result;
}

ByteReplacements::ByteReplacements() {
  for (std::size_t b = 0; b < to_.size(); ++b) to_[b] = static_cast<char>(b);
}

ReplaceResult ByteReplacements::Add(CharList& list, ByteStringView newText) {
  ByteString oldSymbol, newSymbol;
  const ReplaceResult result = SwapListed(list, newText, oldSymbol, newSymbol);
  if (result != ReplaceResult::Done || oldSymbol.size() != 1) return result;
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
