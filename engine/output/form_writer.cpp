#include "output/form_writer.h"

namespace morvexa {

void FormWriter::Lines(ByteStringView text, LineColors colors) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find(kLineBreak, at);
    const std::size_t length = (end == ByteStringView::npos ? text.size() : end) - at;
    LinePart(text.substr(at, length), colors.Part(at, length));
    EndLine();
    at += length + kLineBreak.size();
  }
}

}  // namespace morvexa
