#include "memory_art_area.h"

#include <cstring>
#include <stdexcept>

namespace morvexa {

namespace {
// Two scans of the whole line, each a fast memchr: find_first_of would
// look up every byte of the line in the set.
bool HoldsLineBreakByte(ByteStringView bytes) {
  return bytes.find('\r') != ByteStringView::npos || bytes.find('\n') != ByteStringView::npos;
}
}  // namespace

MemoryArtArea::MemoryArtArea(ByteStringView text) : text_(text) {
  IndexFrom(0, 0);
  written_ = LineCount();
}

void MemoryArtArea::Clear() {
  text_.clear();
  starts_.clear();
  written_ = 0;
}

std::size_t MemoryArtArea::LineEnd(std::size_t i) const {
  if (i + 1 < starts_.size()) return starts_[i + 1] - kLineBreak.size();
  const ByteStringView text = text_;
  return text.ends_with(kLineBreak) ? text.size() - kLineBreak.size() : text.size();
}

void MemoryArtArea::IndexFrom(std::size_t line, std::size_t from) {
  starts_.resize(line);
  const ByteStringView text = text_;
  while (from < text.size()) {
    starts_.push_back(from);
    const std::size_t end = text.find(kLineBreak, from);
    if (end == ByteStringView::npos) break;
    from = end + kLineBreak.size();
  }
}

void MemoryArtArea::WriteLine(std::size_t i, ByteStringView line) {
  if (i < written_) throw std::logic_error("MemoryArtArea::WriteLine: lines are written in order");
  if (!text_.empty() && !ByteStringView(text_).ends_with(kLineBreak)) text_ += kLineBreak;
  // Lines skipped over are left empty.
  for (; written_ < i; ++written_) {
    starts_.push_back(text_.size());
    text_ += kLineBreak;
  }
  ++written_;
  const std::size_t start = text_.size();
  text_ += line;
  text_ += kLineBreak;
  if (HoldsLineBreakByte(line)) {
    IndexFrom(LineCount(), start);
  } else {
    starts_.push_back(start);
  }
}

void MemoryArtArea::WriteLines(std::size_t first, std::size_t count, ByteStringView text) {
  if (first != written_ || (!text_.empty() && !ByteStringView(text_).ends_with(kLineBreak))) {
    ArtArea::WriteLines(first, count, text);
    return;
  }
  const std::size_t start = text_.size();
  text_ += text;
  written_ += count;
  IndexFrom(LineCount(), start);
}

ByteString MemoryArtArea::GetLine(std::size_t i) const {
  if (i >= LineCount()) throw std::out_of_range("MemoryArtArea::GetLine");
  return text_.substr(starts_[i], LineEnd(i) - starts_[i]);
}

void MemoryArtArea::SetLine(std::size_t i, ByteStringView line) {
  if (i >= LineCount()) throw std::out_of_range("MemoryArtArea::SetLine");
  const std::size_t start = starts_[i], end = LineEnd(i);
  if (line.size() == end - start && !HoldsLineBreakByte(line)) {
    // The usual case, a replacement: the line breaks stay where they are.
    std::memcpy(text_.data() + start, line.data(), line.size());
    return;
  }
  text_.replace(start, end - start, line);
  IndexFrom(i, start);
}

}  // namespace morvexa
