#include "memory_art_area.h"

#include <stdexcept>

namespace morvexa {

MemoryArtArea::MemoryArtArea(ByteStringView text)
    : lines_(SplitArtText(text)), lastLineEnded_(text.empty() || text.ends_with(kLineBreak)) {}

void MemoryArtArea::Clear() {
  lines_.clear();
  lastLineEnded_ = true;
}

void MemoryArtArea::WriteLine(std::size_t i, ByteStringView line) {
  // Lines skipped over are left empty; a line written last ends with CR LF.
  if (i >= lines_.size()) lines_.resize(i + 1);
  lines_[i].assign(line);
  if (i + 1 == lines_.size()) lastLineEnded_ = true;
}

ByteString MemoryArtArea::GetLine(std::size_t i) const { return lines_.at(i); }

void MemoryArtArea::SetLine(std::size_t i, ByteStringView line) { lines_.at(i).assign(line); }

ByteString MemoryArtArea::Text() const {
  ByteString text = JoinArtText(lines_);
  if (!lastLineEnded_ && !lines_.empty()) text.resize(text.size() - kLineBreak.size());
  return text;
}

}  // namespace morvexa
