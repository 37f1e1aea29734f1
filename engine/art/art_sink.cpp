#include "morvexa/art_sink.h"

namespace morvexa {

void ArtSink::WriteLines(std::size_t first, std::size_t count, ByteStringView text) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t end = text.find(kLineBreak);
    WriteLine(first + i, text.substr(0, end));
    text.remove_prefix(end + kLineBreak.size());
  }
}

void ArtSink::WriteColoredLine(std::size_t i, ByteStringView line, LineColors) { WriteLine(i, line); }

void ArtSink::WriteColoredLines(std::size_t first, std::size_t count, ByteStringView text, LineColors) {
  WriteLines(first, count, text);
}

}  // namespace morvexa
