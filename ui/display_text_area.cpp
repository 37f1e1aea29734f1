#include "display_text_area.h"

#include <stdexcept>

#include "qt_text.h"

namespace morvexa {

void DisplayTextArea::Clear() {
  text_.clear();
  lines_ = 0;
}

void DisplayTextArea::WriteLine(std::size_t, ByteStringView line) {
  AppendAsText(line, text_);
  text_ += QLatin1Char('\n');
  ++lines_;
}

void DisplayTextArea::WriteLines(std::size_t, std::size_t count, ByteStringView text) {
  AppendAsText(text, text_);
  lines_ += count;
}

ByteString DisplayTextArea::GetLine(std::size_t) const { throw std::logic_error("display text is not read back"); }
void DisplayTextArea::SetLine(std::size_t, ByteStringView) { throw std::logic_error("display text is not read back"); }
ByteString DisplayTextArea::Text() const { throw std::logic_error("display text is not read back"); }

}  // namespace morvexa
