#pragma once

#include <QPlainTextEdit>

namespace morvexa {

class MemoArtArea;

// The output area: a plain text box that copies the art it holds both as
// text and as an HTML page in the cells' colors, so that pasting into a
// word processor or a mail keeps them.
class ArtEdit : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit ArtEdit(QWidget* parent = nullptr);

  // The art area over this box, whose colors are copied.
  void SetArt(const MemoArtArea* art) { art_ = art; }

 protected:
  QMimeData* createMimeDataFromSelection() const override;

 private:
  const MemoArtArea* art_ = nullptr;
};

}  // namespace morvexa
