#pragma once

#include <QSyntaxHighlighter>

namespace morvexa {

class MemoArtArea;

// Shows the art in the output area in its cells' colors, ink and paper, as
// the page it saves shows them: each line's colors as the art area keeps
// them, a typed-over cell in none. The colors are the box's look alone:
// they are no part of its text or its undo.
//
// Coloring a whole large art each time it changes would slow the box, so
// art of more than kMostCharacters is shown plain (Fits says whether).
// While no colors are shown it stays away from the box altogether.
class ArtColorDisplay : public QSyntaxHighlighter {
  Q_OBJECT

 public:
  static constexpr int kMostCharacters = 1 << 18;

  ArtColorDisplay(QTextDocument* document, const MemoArtArea& art, QObject* parent);

  // Shows the colors, or not; art too large for them stays plain.
  void SetShowing(bool showing);
  bool Showing() const { return showing_; }
  // Whether the box's art is small enough to be shown in colors.
  bool Fits() const;
  // Follows a command: shows the colors of what it made (as its changes
  // come), or the art plain when it has grown too large for them.
  void Refresh();

 protected:
  void highlightBlock(const QString& text) override;

 private:
  QTextDocument* box_;
  const MemoArtArea& art_;
  bool showing_ = false;
};

}  // namespace morvexa
