#include "art_color_display.h"

#include <QTextDocument>
#include <vector>

#include "memo_art_area.h"
#include "qt_text.h"

namespace morvexa {

namespace {

QColor ToQColor(Rgb color) { return QColor::fromRgb(color >> 16 & 0xFF, color >> 8 & 0xFF, color & 0xFF); }

}  // namespace

ArtColorDisplay::ArtColorDisplay(QTextDocument* document, const MemoArtArea& art, QObject* parent)
    : QSyntaxHighlighter(parent), box_(document), art_(art) {}

bool ArtColorDisplay::Fits() const { return box_->characterCount() <= kMostCharacters; }

void ArtColorDisplay::SetShowing(bool showing) {
  showing_ = showing;
  Refresh();
}

void ArtColorDisplay::Refresh() {
  // Joined to the box, it colors all of it, then each change as it comes.
  if (showing_ && Fits()) {
    if (document() != box_) {
      setDocument(box_);
      rehighlight();  // now, rather than once the window is idle
    }
  } else if (document()) {
    setDocument(nullptr);  // which takes its colors away
  }
}

void ArtColorDisplay::highlightBlock(const QString& text) {
  if (!showing_ || !Fits() || text.isEmpty()) return;
  const ByteString line = QStringToBytes(text);
  std::vector<Rgb> ink, paper;
  art_.ColorsOfLine(static_cast<std::size_t>(currentBlock().blockNumber()), line, ink, paper);
  // Each character takes the colors of its first byte; runs of the same
  // colors share a format.
  const bool oneByteEach = line.size() == static_cast<std::size_t>(text.size());
  std::size_t byte = 0;
  int runStart = 0;
  Rgb runInk = kNoColor, runPaper = kNoColor;
  auto flush = [&](int end) {
    if (end > runStart && (runInk != kNoColor || runPaper != kNoColor)) {
      QTextCharFormat format;
      if (runInk != kNoColor) format.setForeground(ToQColor(runInk));
      if (runPaper != kNoColor) format.setBackground(ToQColor(runPaper));
      setFormat(runStart, end - runStart, format);
    }
    runStart = end;
  };
  for (int i = 0; i < text.size(); ++i) {
    const Rgb cellInk = byte < ink.size() ? ink[byte] : kNoColor;
    const Rgb cellPaper = byte < paper.size() ? paper[byte] : kNoColor;
    if (cellInk != runInk || cellPaper != runPaper) {
      flush(i);
      runInk = cellInk, runPaper = cellPaper;
    }
    if (oneByteEach) {
      ++byte;
    } else if (text[i].isHighSurrogate() && i + 1 < text.size()) {
      byte += QStringToBytes(text.mid(i, 2)).size();
      ++i;
    } else {
      byte += QStringToBytes(QString(text[i])).size();
    }
  }
  flush(static_cast<int>(text.size()));
}

}  // namespace morvexa
