#include "display_text.h"

#include "qt_text.h"

namespace morvexa {

void DisplayText::Clear() {
  text_.clear();
  colors_.Clear();
}

void DisplayText::WriteLine(std::size_t i, ByteStringView line) { WriteColoredLine(i, line, {}); }

void DisplayText::WriteLines(std::size_t first, std::size_t count, ByteStringView text) {
  WriteColoredLines(first, count, text, {});
}

void DisplayText::WriteColoredLine(std::size_t, ByteStringView line, LineColors colors) {
  AppendAsText(line, text_);
  text_ += QLatin1Char('\n');
  colors_.AppendLine(line, colors);
}

void DisplayText::WriteColoredLines(std::size_t, std::size_t, ByteStringView text, LineColors colors) {
  AppendAsText(text, text_);
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find(kLineBreak, at);
    const std::size_t length = (end == ByteStringView::npos ? text.size() : end) - at;
    colors_.AppendLine(text.substr(at, length), colors.Part(at, length));
    at += length + kLineBreak.size();
  }
}

}  // namespace morvexa
