#pragma once

#include <QObject>
#include <QTextLayout>
#include <QTimer>
#include <set>

class QPlainTextEdit;
class QTextBlock;

namespace morvexa {

class MemoArtArea;

// Shows the art in the output area in its cells' colors, ink and paper, as
// the page it saves shows them: each line's colors as the art area keeps
// them, a typed-over cell in none. The colors are the box's look alone:
// they are no part of its text or its undo.
//
// Only the lines and columns on the screen are colored (as formats laid
// over their blocks, which lays out those blocks alone), anew as the box
// scrolls, resizes or changes, so that art of any size is shown in its
// colors at a small cost over the plain view.
class ArtColorDisplay : public QObject {
  Q_OBJECT

 public:
  ArtColorDisplay(QPlainTextEdit& box, const MemoArtArea& art, QObject* parent);

  // Shows the colors, or not.
  void SetShowing(bool showing);
  bool Showing() const { return showing_; }
  // Colors what is on the screen now (after a command, say).
  void Refresh();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPlainTextEdit& box_;
  const MemoArtArea& art_;
  // The formats of a block's characters on the screen.
  QList<QTextLayout::FormatRange> FormatsOnScreen(const QTextBlock& block, const QRect& view, int top) const;

  bool showing_ = false;
  bool refreshing_ = false;
  std::set<int> colored_;  // the blocks that have formats
  QTimer later_;           // one refresh for a burst of scrolls and changes
};

}  // namespace morvexa
