#pragma once

#include <vector>

#include "morvexa/char_list.h"

namespace morvexa {

// A symbol list held in memory, for the command-line program and the tests.
class MemoryCharList final : public CharList {
 public:
  void Clear() override;
  void Add(ByteStringView s) override;
  void Delete(int i) override;
  int Selected() const override { return selected_; }
  int Count() const override { return static_cast<int>(entries_.size()); }
  ByteString Get(int i) const override;

  // Selects entry i, or nothing with -1: what the user does in the list box.
  void Select(int i);
  const std::vector<ByteString>& Entries() const { return entries_; }

 private:
  std::vector<ByteString> entries_;
  int selected_ = -1;
};

}  // namespace morvexa
