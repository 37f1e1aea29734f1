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

void ArtSink::WriteLinePart(ByteStringView part, LineColors colors) {
  partBytes_ += part;
  partInk_.insert(partInk_.end(), colors.ink.begin(), colors.ink.end());
  partPaper_.insert(partPaper_.end(), colors.paper.begin(), colors.paper.end());
}

void ArtSink::EndLine(std::size_t i) {
  if (partInk_.empty() && partPaper_.empty()) {
    WriteLine(i, partBytes_);
  } else {
    WriteColoredLine(i, partBytes_, {partInk_, partPaper_});
  }
  partBytes_.clear();
  partInk_.clear();
  partPaper_.clear();
}

}  // namespace morvexa
