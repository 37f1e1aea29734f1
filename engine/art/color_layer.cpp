#include "morvexa/color_layer.h"

namespace morvexa {

void ColorLayer::AppendLine(ByteStringView line, std::span<const Rgb> colors) {
  Line& added = lines_.emplace_back();
  if (colors.size() != line.size()) return;
  added.given.assign(line);
  added.colors.assign(colors.begin(), colors.end());
}

void ColorLayer::Replace(std::size_t i, ByteStringView oldLine, ByteStringView newLine) {
  if (i >= lines_.size() || oldLine.size() != newLine.size()) return;
  Line& line = lines_[i];
  for (std::size_t k = 0; k < line.given.size() && k < oldLine.size(); ++k) {
    if (line.given[k] == oldLine[k]) line.given[k] = newLine[k];
  }
}

void ColorLayer::ColorsOf(std::size_t i, ByteStringView now, std::vector<Rgb>& colors) const {
  colors.assign(now.size(), kNoColor);
  if (i >= lines_.size()) return;
  const Line& line = lines_[i];
  for (std::size_t k = 0; k < now.size() && k < line.given.size(); ++k) {
    if (now[k] == line.given[k]) colors[k] = line.colors[k];
  }
}

}  // namespace morvexa
