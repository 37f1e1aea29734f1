#pragma once

#include <QString>

#include "morvexa/art_sink.h"
#include "morvexa/color_layer.h"

namespace morvexa {

// A sink that gathers the text the output area will show, as
// BytesToQString gives it, written straight from the art as it is drawn:
// a converted picture reaches the box in one pass, without a second copy
// of its bytes.
class DisplayText final : public ArtSink {
 public:
  // Room for the text of so many bytes of art, made once.
  void Reserve(std::size_t artBytes) { text_.reserve(static_cast<qsizetype>(artBytes)); }
  QString TakeText() { return std::move(text_); }
  ColorLayer TakeColors() { return std::move(colors_); }

  void Clear() override;
  void WriteLine(std::size_t i, ByteStringView line) override;
  void WriteLines(std::size_t first, std::size_t count, ByteStringView text) override;
  CellColors Colors() const override { return CellColors::Own; }
  void WriteColoredLine(std::size_t i, ByteStringView line, LineColors colors) override;
  void WriteColoredLines(std::size_t first, std::size_t count, ByteStringView text, LineColors colors) override;

 private:
  QString text_;
  ColorLayer colors_;
};

}  // namespace morvexa
