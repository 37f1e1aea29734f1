#include "art_color_display.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <set>
#include <vector>

#include "memo_art_area.h"
#include "qt_text.h"

namespace morvexa {

namespace {

QColor ToQColor(Rgb color) { return QColor::fromRgb(color >> 16 & 0xFF, color >> 8 & 0xFF, color & 0xFF); }

// The block the point of the box's viewport is on.
QTextBlock BlockAt(const QPlainTextEdit& box, QPoint point) { return box.cursorForPosition(point).block(); }

}  // namespace

ArtColorDisplay::ArtColorDisplay(QPlainTextEdit& box, const MemoArtArea& art, QObject* parent)
    : QObject(parent), box_(box), art_(art) {
  later_.setSingleShot(true);
  later_.setInterval(0);
  connect(&later_, &QTimer::timeout, this, &ArtColorDisplay::Refresh);
  const auto soon = [this] {
    if (showing_ && !refreshing_) later_.start();
  };
  connect(box_.verticalScrollBar(), &QScrollBar::valueChanged, this, soon);
  connect(box_.horizontalScrollBar(), &QScrollBar::valueChanged, this, soon);
  connect(box_.document(), &QTextDocument::contentsChanged, this, soon);
  box_.viewport()->installEventFilter(this);
}

bool ArtColorDisplay::eventFilter(QObject* watched, QEvent* event) {
  if (watched == box_.viewport() && event->type() == QEvent::Resize && showing_) later_.start();
  return QObject::eventFilter(watched, event);
}

void ArtColorDisplay::SetShowing(bool showing) {
  showing_ = showing;
  Refresh();
}

void ArtColorDisplay::Refresh() {
  later_.stop();
  QTextDocument& document = *box_.document();
  // Formats laid over a block take its lines away until it is laid out
  // again: each changed block is marked for that, which lays out only it.
  const auto lay = [&](QTextBlock block, const QList<QTextLayout::FormatRange>& formats) {
    if (!block.isValid() || (formats.isEmpty() && block.layout()->formats().isEmpty())) return;
    block.layout()->setFormats(formats);
    refreshing_ = true;
    document.markContentsDirty(block.position(), block.length());
    refreshing_ = false;
  };
  // Blocks colored before and now off the screen, or all when the colors
  // go, are plain again.
  std::set<int> colored;
  if (showing_) {
    const QRect view = box_.viewport()->rect();
    for (QTextBlock block = BlockAt(box_, view.topLeft()); block.isValid(); block = block.next()) {
      const int top = box_.cursorRect(QTextCursor(block)).top();
      if (top > view.bottom()) break;
      colored.insert(block.blockNumber());
      lay(block, FormatsOnScreen(block, view, top));
    }
  }
  for (const int number : colored_) {
    if (!colored.count(number)) lay(document.findBlockByNumber(number), {});
  }
  colored_ = std::move(colored);
}

QList<QTextLayout::FormatRange> ArtColorDisplay::FormatsOnScreen(const QTextBlock& block, const QRect& view,
                                                                 int top) const {
  QList<QTextLayout::FormatRange> formats;
  const QString text = block.text();
  if (text.isEmpty()) return formats;
  // The columns on the screen, and a few beyond for a wide character.
  const int middle = top + static_cast<int>(box_.document()->documentLayout()->blockBoundingRect(block).height() / 2);
  const int first = std::max(0, box_.cursorForPosition({view.left(), middle}).positionInBlock() - 2);
  const int last =
      std::min(static_cast<int>(text.size()), box_.cursorForPosition({view.right(), middle}).positionInBlock() + 2);
  const ByteString line = QStringToBytes(text);
  std::vector<Rgb> ink, paper;
  art_.ColorsOfLine(static_cast<std::size_t>(block.blockNumber()), line, ink, paper);
  // Each character takes the colors of its first byte; runs of the same
  // colors share a format.
  const bool oneByteEach = line.size() == static_cast<std::size_t>(text.size());
  std::size_t byte = 0;
  int runStart = first;
  Rgb runInk = kNoColor, runPaper = kNoColor;
  const auto flush = [&](int end) {
    if (end > runStart && (runInk != kNoColor || runPaper != kNoColor)) {
      QTextLayout::FormatRange run;
      run.start = runStart;
      run.length = end - runStart;
      if (runInk != kNoColor) run.format.setForeground(ToQColor(runInk));
      if (runPaper != kNoColor) run.format.setBackground(ToQColor(runPaper));
      formats.append(run);
    }
    runStart = end;
  };
  for (int i = oneByteEach ? first : 0; i < last; ++i) {
    const int at = i;
    std::size_t width = 1;
    if (oneByteEach) {
      byte = static_cast<std::size_t>(i);
    } else {
      const bool pair = text[i].isHighSurrogate() && i + 1 < text.size();
      width = QStringToBytes(text.mid(i, pair ? 2 : 1)).size();
      if (pair) ++i;
    }
    if (at >= first) {
      const Rgb cellInk = byte < ink.size() ? ink[byte] : kNoColor;
      const Rgb cellPaper = byte < paper.size() ? paper[byte] : kNoColor;
      if (cellInk != runInk || cellPaper != runPaper) {
        flush(at);
        runInk = cellInk, runPaper = cellPaper;
      }
    }
    byte += width;
  }
  flush(std::max(runStart, last));
  return formats;
}

}  // namespace morvexa
