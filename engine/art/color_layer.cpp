#include "morvexa/color_layer.h"

namespace morvexa {

void ColorLayer::AppendLine(ByteStringView line, LineColors colors) {
  Line& added = lines_.emplace_back();
  if (colors.ink.size() != line.size()) return;
  added.given.assign(line);
  added.ink.assign(colors.ink.begin(), colors.ink.end());
  if (colors.paper.size() == line.size()) {
    added.paper.assign(colors.paper.begin(), colors.paper.end());
    hasPaper_ = true;
  }
}

void ColorLayer::Replace(std::size_t i, ByteStringView oldLine, ByteStringView newLine) {
  if (i >= lines_.size() || oldLine.size() != newLine.size()) return;
  Line& line = lines_[i];
  for (std::size_t k = 0; k < line.given.size() && k < oldLine.size(); ++k) {
    if (line.given[k] == oldLine[k]) line.given[k] = newLine[k];
  }
}

void ColorLayer::ColorsOf(std::size_t i, ByteStringView now, std::vector<Rgb>& ink, std::vector<Rgb>& paper) const {
  ink.assign(now.size(), kNoColor);
  paper.assign(now.size(), kNoColor);
  if (i >= lines_.size()) return;
  const Line& line = lines_[i];
  for (std::size_t k = 0; k < now.size() && k < line.given.size(); ++k) {
    if (now[k] != line.given[k]) continue;
    ink[k] = line.ink[k];
    if (!line.paper.empty()) paper[k] = line.paper[k];
  }
}

}  // namespace morvexa
