#include "display_text_area.h"

#include <stdexcept>

#include "qt_text.h"

namespace morvexa {

void DisplayTextArea::Clear() {
  text_.clear();
  colors_.Clear();
  lines_ = 0;
}

void DisplayTextArea::WriteColoredLine(std::size_t i, ByteStringView line, std::span<const Rgb> colors) {
  WriteLine(i, line);
  colors_.Truncate(lines_ - 1);
  colors_.AppendLine(line, colors);
}

void DisplayTextArea::WriteColoredLines(std::size_t, std::size_t count, ByteStringView text,
                                        std::span<const Rgb> colors) {
  AppendAsText(text, text_);
  lines_ += count;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find(kLineBreak, at);
    const std::size_t length = (end == ByteStringView::npos ? text.size() : end) - at;
    colors_.AppendLine(text.substr(at, length), colors.empty() ? colors : colors.subspan(at, length));
    at += length + kLineBreak.size();
  }
}

void DisplayTextArea::WriteLine(std::size_t, ByteStringView line) {
  AppendAsText(line, text_);
  text_ += QLatin1Char('\n');
  colors_.AppendLine(line, {});
  ++lines_;
}

void DisplayTextArea::WriteLines(std::size_t first, std::size_t count, ByteStringView text) {
  WriteColoredLines(first, count, text, {});
}

ByteString DisplayTextArea::GetLine(std::size_t) const { throw std::logic_error("display text is not read back"); }
void DisplayTextArea::SetLine(std::size_t, ByteStringView) { throw std::logic_error("display text is not read back"); }
ByteString DisplayTextArea::Text() const { throw std::logic_error("display text is not read back"); }

}  // namespace morvexa
