#pragma once

#include <QPlainTextEdit>
#include <vector>

namespace morvexa {

class MemoArtArea;

// The output area: a plain text box that
//  - copies the art it holds both as text and as an HTML page in the
//    cells' colors, so that pasting into a word processor keeps them;
//  - lets Tab and Shift+Tab move the focus, as every other box does
//    (Ctrl+Tab puts a tab character in);
//  - zooms its font with Ctrl+wheel, in steps that keep a Chinese
//    character exactly twice as wide as an ASCII one;
//  - leaves files dropped on it to the window, which converts them;
//  - offers the window's color toggle in its context menu.
class ArtEdit : public QPlainTextEdit {
  Q_OBJECT

 public:
  static constexpr int kNormalSize = 12;

  explicit ArtEdit(QWidget* parent = nullptr);

  // The art area over this box, whose colors are copied.
  void SetArt(const MemoArtArea* art) { art_ = art; }
  // An action its context menu offers after the usual ones.
  void SetColorToggle(QAction* toggle) { colorToggle_ = toggle; }

  // The pixel sizes the art is shown at, smallest first: those at which
  // its font keeps art aligned.
  const std::vector<int>& ZoomSizes();
  // One size larger (steps > 0) or smaller; back to kNormalSize.
  void Zoom(int steps);
  void ResetZoom();

 protected:
  QMimeData* createMimeDataFromSelection() const override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void SetSize(int pixels);

  const MemoArtArea* art_ = nullptr;
  QAction* colorToggle_ = nullptr;
  std::vector<int> sizes_;
  int wheelTurn_ = 0;
};

// Whether a drag carries files (which the window converts as pictures).
bool CarriesFiles(const QMimeData* mime);

}  // namespace morvexa
