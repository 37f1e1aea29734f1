#include "morvexa/memory_art_area.h"

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
  colors_.Clear();
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
  const std::size_t start = text_.size(), before = LineCount();
  text_ += line;
  text_ += kLineBreak;
  if (HoldsLineBreakByte(line)) {
    IndexFrom(LineCount(), start);
  } else {
    starts_.push_back(start);
  }
  ColorNewLines(before, start, {});
}

void MemoryArtArea::WriteColoredLine(std::size_t i, ByteStringView line, LineColors colors) {
  const std::size_t before = LineCount();
  WriteLine(i, line);
  if (keepsColors_) {
    colors_.Truncate(before);
    ColorNewLines(before, text_.size() - line.size() - kLineBreak.size(), colors);
  }
}

void MemoryArtArea::WriteLines(std::size_t first, std::size_t count, ByteStringView text) {
  WriteColoredLines(first, count, text, {});
}

void MemoryArtArea::WriteColoredLines(std::size_t first, std::size_t count, ByteStringView text, LineColors colors) {
  if (first != written_ || (!text_.empty() && !ByteStringView(text_).ends_with(kLineBreak))) {
    ArtArea::WriteColoredLines(first, count, text, colors);
    return;
  }
  const std::size_t start = text_.size(), before = LineCount();
  text_ += text;
  written_ += count;
  IndexFrom(LineCount(), start);
  ColorNewLines(before, start, colors);
}

void MemoryArtArea::ColorNewLines(std::size_t firstLine, std::size_t firstByte, LineColors colors) {
  if (!keepsColors_) return;
  for (std::size_t i = firstLine; i < LineCount(); ++i) {
    const std::size_t from = starts_[i] - firstByte, length = LineEnd(i) - starts_[i];
    colors_.AppendLine(ByteStringView(text_).substr(starts_[i], length),
                       colors.ink.size() >= from + length ? colors.Part(from, length) : LineColors());
  }
}

void MemoryArtArea::ColorsOf(std::size_t i, std::vector<Rgb>& ink, std::vector<Rgb>& paper) const {
  colors_.ColorsOf(i, GetLine(i), ink, paper);
}

ByteString MemoryArtArea::GetLine(std::size_t i) const {
  if (i >= LineCount()) throw std::out_of_range("MemoryArtArea::GetLine");
  return text_.substr(starts_[i], LineEnd(i) - starts_[i]);
}

void MemoryArtArea::SetLine(std::size_t i, ByteStringView line) {
  if (i >= LineCount()) throw std::out_of_range("MemoryArtArea::SetLine");
  const std::size_t start = starts_[i], end = LineEnd(i);
  if (line.size() == end - start && !HoldsLineBreakByte(line)) {
    // The usual case, a replacement: the line breaks stay where they are,
    // and so do the cells' colors.
    if (keepsColors_) colors_.Replace(i, ByteStringView(text_).substr(start, end - start), line);
    std::memcpy(text_.data() + start, line.data(), line.size());
    return;
  }
  text_.replace(start, end - start, line);
  IndexFrom(i, start);
}

}  // namespace morvexa
