#pragma once

#include "morvexa/byte_string.h"

namespace morvexa {

// Whether two symbols match for AddIfAbsent: the same length and the same
// bytes once the ASCII letters a-z are taken as A-Z. A double-byte
// character's bytes are compared as they are: its trail byte may fall in
// the letters' range without being one.
bool SymbolsMatch(ByteStringView a, ByteStringView b);

// The symbol list: an ordered list of byte strings, of which the user may
// select at most one. The window shows it in its list box; MemoryCharList
// keeps it in memory.
class CharList {
 public:
  virtual ~CharList() = default;

  // Removes every entry; the selection goes with them.
  virtual void Clear() = 0;
  // Appends s, even when an equal entry is already listed.
  virtual void Add(ByteStringView s) = 0;
  // Removes entry i; later entries move up and nothing is selected after.
  virtual void Delete(int i) = 0;
  // The index of the selected entry, or -1.
  virtual int Selected() const = 0;
  virtual int Count() const = 0;
  virtual ByteString Get(int i) const = 0;

  // Appends s unless an entry matches it (SymbolsMatch).
  void AddIfAbsent(ByteStringView s);
};

}  // namespace morvexa
