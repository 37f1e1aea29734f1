#include "art_edit.h"

#include <QMimeData>
#include <QTextDocumentFragment>

#include "memo_art_area.h"

namespace morvexa {

ArtEdit::ArtEdit(QWidget* parent) : QPlainTextEdit(parent) {}

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

}  // namespace morvexa
