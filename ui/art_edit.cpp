#include "art_edit.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextDocumentFragment>
#include <QWheelEvent>
#include <algorithm>

#include "memo_art_area.h"
#include "window_font.h"

namespace morvexa {

bool CarriesFiles(const QMimeData* mime) {
  if (!mime || !mime->hasUrls()) return false;
  const QList<QUrl> urls = mime->urls();
  return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

ArtEdit::ArtEdit(QWidget* parent) : QPlainTextEdit(parent) { setTabChangesFocus(true); }

QMimeData* ArtEdit::createMimeDataFromSelection() const {
  if (!art_) return QPlainTextEdit::createMimeDataFromSelection();
  auto* mime = new QMimeData;
  mime->setText(textCursor().selection().toPlainText());
  if (textCursor().hasSelection()) {
    ArtFormSettings html;
    html.form = ArtForm::Html;
    const std::string page = art_->Export(html, textCursor());
    mime->setHtml(QString::fromUtf8(page.data(), static_cast<qsizetype>(page.size())));
  }
  return mime;
}

void ArtEdit::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu(event->pos());
  if (colorToggle_) {
    menu->addSeparator();
    menu->addAction(colorToggle_);
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

void ArtEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::ControlModifier) {
    insertPlainText(QStringLiteral("\t"));
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

const std::vector<int>& ArtEdit::ZoomSizes() {
  if (sizes_.empty()) {
    QFont font = this->font();
    for (int pixels = 6; pixels <= 48; ++pixels) {
      font.setPixelSize(pixels);
      if (KeepsArtAligned(font)) sizes_.push_back(pixels);
    }
    if (std::find(sizes_.begin(), sizes_.end(), kNormalSize) == sizes_.end()) {
      sizes_.insert(std::upper_bound(sizes_.begin(), sizes_.end(), kNormalSize), kNormalSize);
    }
  }
  return sizes_;
}

void ArtEdit::Zoom(int steps) {
  const std::vector<int>& sizes = ZoomSizes();
  const auto at = std::lower_bound(sizes.begin(), sizes.end(), font().pixelSize());
  const auto index =
      std::clamp<std::ptrdiff_t>((at - sizes.begin()) + steps, 0, static_cast<std::ptrdiff_t>(sizes.size()) - 1);
  SetSize(sizes[static_cast<std::size_t>(index)]);
}

void ArtEdit::ResetZoom() { SetSize(kNormalSize); }

void ArtEdit::SetSize(int pixels) {
  QFont font = this->font();
  font.setPixelSize(pixels);
  setFont(font);
}

void ArtEdit::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) {
    QPlainTextEdit::wheelEvent(event);
    return;
  }
  // A step for each notch of the wheel (120 eighths of a degree).
  wheelTurn_ += event->angleDelta().y();
  const int steps = wheelTurn_ / 120;
  wheelTurn_ %= 120;
  if (steps != 0) Zoom(steps);
  event->accept();
}

void ArtEdit::dragEnterEvent(QDragEnterEvent* event) {
  if (CarriesFiles(event->mimeData())) {
    event->ignore();  // the window's
    return;
  }
  QPlainTextEdit::dragEnterEvent(event);
}

void ArtEdit::dragMoveEvent(QDragMoveEvent* event) {
  if (CarriesFiles(event->mimeData())) {
    event->ignore();
    return;
  }
  QPlainTextEdit::dragMoveEvent(event);
}

void ArtEdit::dropEvent(QDropEvent* event) {
  if (CarriesFiles(event->mimeData())) {
    event->ignore();
    return;
  }
  QPlainTextEdit::dropEvent(event);
}

}  // namespace morvexa
