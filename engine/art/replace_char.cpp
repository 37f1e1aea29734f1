#include "morvexa/replace_char.h"

#include <algorithm>

namespace morvexa {

ReplaceResult ReplaceChar(CharList& list, ByteStringView newText, ArtArea& area) {
  const int selected = list.Selected();
  if (selected < 0) return ReplaceResult::NothingSelected;
  const ByteString oldSymbol(FirstTwoBytes(list.Get(selected)));
  const ByteString newSymbol(FirstTwoBytes(newText));
  if (oldSymbol.size() != newSymbol.size()) return ReplaceResult::LengthMismatch;

  list.Delete(selected);
  // Only a one-byte symbol can equal a byte of the art. A new symbol may
  // make a line break of a CR and an LF, and so more lines: every one is
  // visited.
  if (oldSymbol.size() == 1) {
    for (std::size_t i = 0; i < area.LineCount(); ++i) {
      ByteString line = area.GetLine(i);
      if (line.find(oldSymbol[0]) == ByteString::npos) continue;
      std::replace(line.begin(), line.end(), oldSymbol[0], newSymbol[0]);
      area.SetLine(i, line);
    }
  }
  list.AddIfAbsent(newSymbol);
  return ReplaceResult::Done;
}

}  // namespace morvexa
