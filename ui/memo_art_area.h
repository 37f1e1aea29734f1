#pragma once

#include <QObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <optional>

#include "morvexa/art_area.h"
#include "morvexa/art_writer.h"
#include "morvexa/color_layer.h"
#include "morvexa/memory_art_area.h"

namespace morvexa {

// The art area over the window's output area. The box shows the art text as
// BytesToQString does, so any art survives the box unchanged.
//
// A command works on a copy loaded from the box when it first reads it;
// Flush, called when the command ends however it ends, puts what the
// command changed back into the box in one go.
//
// Characters that code page 936 cannot hold become "?" as they are typed or
// pasted, so that the box shows exactly what saving writes.
class MemoArtArea final : public QObject, public ArtArea {
  Q_OBJECT

 public:
  explicit MemoArtArea(QPlainTextEdit* memo);

  void Clear() override;
  void WriteLine(std::size_t i, ByteStringView line) override;
  CellColors Colors() const override { return CellColors::Own; }
  void WriteColoredLine(std::size_t i, ByteStringView line, LineColors colors) override;
  std::size_t LineCount() const override;
  ByteString GetLine(std::size_t i) const override;
  void SetLine(std::size_t i, ByteStringView line) override;
  ByteString Text() const override;

  // Puts what the command changed into the box, as one step of its undo;
  // whether there was anything.
  //
  // Each step keeps the text it replaced. A step that would make the steps
  // kept hold more than kUndoCharacters forgets them all and cannot be
  // undone itself (UndoForgotten says so), so that the window's memory does
  // not grow with every conversion of a large picture.
  bool Flush();
  static constexpr qint64 kUndoCharacters = qint64{1} << 23;
  // Whether the last Flush forgot the steps before it, and its own.
  bool UndoForgotten() const { return forgotten_; }
  // Takes the box's text for art made elsewhere (see DisplayText), and
  // its colors, as what the command changed.
  void Adopt(QString&& text, ColorLayer&& colors);

  // The art as it stands in the box (typed changes included), in a form,
  // with its cells' colors; or, for a selection of the box, just that part.
  std::string Export(const ArtFormSettings& form) const;
  std::string Export(const ArtFormSettings& form, const QTextCursor& selection) const;
  // The ink and paper of each byte of line i, as it now reads, as the
  // cells were given them (kNoColor where none).
  void ColorsOfLine(std::size_t i, ByteStringView line, std::vector<Rgb>& ink, std::vector<Rgb>& paper) const {
    colors_.ColorsOf(i, line, ink, paper);
  }

 private:
  MemoryArtArea& Loaded() const;
  MemoryArtArea& Changing();
  void ReplaceUnencodableTyped(int position, int added);

  QPointer<QPlainTextEdit> memo_;
  mutable std::optional<MemoryArtArea> copy_;
  mutable std::optional<QString> adopted_;
  // The colors of the cells, kept from command to command.
  ColorLayer colors_;
  bool changed_ = false;
  bool writing_ = false;
  qint64 undoCharacters_ = 0;  // what the steps kept hold, roughly
  bool forgotten_ = false;
};

}  // namespace morvexa
