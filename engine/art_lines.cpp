#include "art_lines.h"

namespace morvexa {

ByteString JoinArtText(const ArtLines& lines) {
  std::size_t size = 0;
  for (const auto& line : lines) size += line.size() + kLineBreak.size();
  ByteString text;
  text.reserve(size);
  for (const auto& line : lines) {
    text += line;
    text += kLineBreak;
  }
  return text;
}

ArtLines SplitArtText(ByteStringView text) {
  ArtLines lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find(kLineBreak, start);
    if (end == ByteStringView::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + kLineBreak.size();
  }
  return lines;
}

}  // namespace morvexa
