#include "output/form_buffer.h"

namespace morvexa {

FormBuffer::FormBuffer(ArtWriter::Sink sink)
    : sink_(std::move(sink)), begin_(std::make_unique_for_overwrite<char[]>(kSize)) {}

char* FormBuffer::HandOver(char* out) {
  sink_(std::string_view(begin_.get(), static_cast<std::size_t>(out - begin_.get())));
  filled_ = 0;
  return begin_.get();
}

void FormBuffer::Flush() {
  if (filled_ == 0) return;
  sink_(std::string_view(begin_.get(), filled_));
  filled_ = 0;
}

void FormBuffer::Write(std::string_view bytes) {
  Flush();
  sink_(bytes);
}

}  // namespace morvexa
