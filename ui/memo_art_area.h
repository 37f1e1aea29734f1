#pragma once

#include <QObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <optional>

#include "art_area.h"
#include "memory_art_area.h"

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
  std::size_t LineCount() const override;
  ByteString GetLine(std::size_t i) const override;
  void SetLine(std::size_t i, ByteStringView line) override;
  ByteString Text() const override;

  void Flush();
  // Takes the box's text for art made elsewhere (see DisplayTextArea) as
  // what the command changed.
  void Adopt(QString&& text);

 private:
  MemoryArtArea& Loaded() const;
  MemoryArtArea& Changing();
  void ReplaceUnencodableTyped(int position, int added);

  QPointer<QPlainTextEdit> memo_;
  mutable std::optional<MemoryArtArea> copy_;
  std::optional<QString> adopted_;
  bool changed_ = false;
  bool writing_ = false;
};

}  // namespace morvexa
