#include "morvexa/memory_char_list.h"

#include <stdexcept>

namespace morvexa {

void MemoryCharList::Clear() {
  entries_.clear();
  selected_ = -1;
}

void MemoryCharList::Add(ByteStringView s) { entries_.emplace_back(s); }

void MemoryCharList::Delete(int i) {
  if (i < 0 || i >= Count()) throw std::out_of_range("MemoryCharList::Delete");
  entries_.erase(entries_.begin() + i);
  selected_ = -1;
}

ByteString MemoryCharList::Get(int i) const {
  if (i < 0 || i >= Count()) throw std::out_of_range("MemoryCharList::Get");
  return entries_[static_cast<std::size_t>(i)];
}

void MemoryCharList::Select(int i) {
  if (i < -1 || i >= Count()) throw std::out_of_range("MemoryCharList::Select");
  selected_ = i;
}

}  // namespace morvexa
