#pragma once

#include <QString>

#include "art_area.h"
#include "color_layer.h"

namespace morvexa {

// An art area that only gathers the text the output area will show, as
// BytesToQString gives it, written straight from the art as it is drawn:
// a converted picture reaches the box in one pass, without a second copy
// of its bytes. It cannot be read back.
class DisplayTextArea final : public ArtArea {
 public:
  // Room for the text of so many bytes of art, made once.
  void Reserve(std::size_t artBytes) { text_.reserve(static_cast<qsizetype>(artBytes)); }
  QString TakeText() { return std::move(text_); }
  ColorLayer TakeColors() { return std::move(colors_); }

  void Clear() override;
  void WriteLine(std::size_t i, ByteStringView line) override;
  void WriteLines(std::size_t first, std::size_t count, ByteStringView text) override;
  bool KeepsColors() const override { return true; }
  void WriteColoredLine(std::size_t i, ByteStringView line, std::span<const Rgb> colors) override;
  void WriteColoredLines(std::size_t first, std::size_t count, ByteStringView text,
                         std::span<const Rgb> colors) override;
  std::size_t LineCount() const override { return lines_; }
  ByteString GetLine(std::size_t i) const override;
  void SetLine(std::size_t i, ByteStringView line) override;
  ByteString Text() const override;

 private:
  QString text_;
  ColorLayer colors_;
  std::size_t lines_ = 0;
};

}  // namespace morvexa
