#include "memo_art_area.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <stdexcept>

#include "qt_text.h"

namespace morvexa {

MemoArtArea::MemoArtArea(QPlainTextEdit* memo) : QObject(memo), memo_(memo) {
  connect(memo->document(), &QTextDocument::contentsChange, this,
          [this](int position, int, int added) { ReplaceUnencodableTyped(position, added); });
}

MemoryArtArea& MemoArtArea::Loaded() const {
  if (adopted_) throw std::logic_error("MemoArtArea: adopted text is not read back before it is shown");
  if (!copy_) {
    copy_.emplace(QStringToBytes(memo_->document()->toRawText()));
  }
  return *copy_;
}

MemoryArtArea& MemoArtArea::Changing() {
  changed_ = true;
  return Loaded();
}

void MemoArtArea::Clear() {
  copy_.emplace();
  changed_ = true;
}

void MemoArtArea::WriteLine(std::size_t i, ByteStringView line) { Changing().WriteLine(i, line); }
std::size_t MemoArtArea::LineCount() const { return Loaded().LineCount(); }
ByteString MemoArtArea::GetLine(std::size_t i) const { return Loaded().GetLine(i); }
void MemoArtArea::SetLine(std::size_t i, ByteStringView line) { Changing().SetLine(i, line); }
ByteString MemoArtArea::Text() const { return Loaded().Text(); }

void MemoArtArea::Adopt(QString&& text) {
  copy_.reset();
  adopted_ = std::move(text);
  changed_ = true;
}

void MemoArtArea::Flush() {
  if (changed_ && (copy_ || adopted_) && memo_) {
    const int across = memo_->horizontalScrollBar()->value();
    const int down = memo_->verticalScrollBar()->value();
    writing_ = true;
    memo_->setPlainText(adopted_ ? *adopted_ : BytesToQString(copy_->Text()));
    writing_ = false;
    memo_->horizontalScrollBar()->setValue(across);
    memo_->verticalScrollBar()->setValue(down);
  }
  copy_.reset();
  adopted_.reset();
  changed_ = false;
}

void MemoArtArea::ReplaceUnencodableTyped(int position, int added) {
  if (writing_ || added <= 0 || !memo_) return;
  QTextDocument* document = memo_->document();
  const int end = std::min(position + added, document->characterCount());
  // From the end back, so that earlier positions stay valid.
  QTextCursor cursor(document);
  bool editing = false;
  for (int i = end - 1; i >= position; --i) {
    const QChar ch = document->characterAt(i);
    if (ch == QChar::ParagraphSeparator || ch.isHighSurrogate()) continue;
    char32_t c = ch.unicode();
    int start = i;
    if (ch.isLowSurrogate() && i > position && document->characterAt(i - 1).isHighSurrogate()) {
      c = QChar::surrogateToUcs4(document->characterAt(i - 1), ch);
      start = i - 1;
    }
    if (HeldInText(c)) {
      i = start;
      continue;
    }
    if (!editing) {
      writing_ = true;
      cursor.beginEditBlock();
      editing = true;
    }
    cursor.setPosition(start);
    cursor.setPosition(i + 1, QTextCursor::KeepAnchor);
    cursor.insertText(QStringLiteral("?"));
    i = start;
  }
  if (editing) {
    cursor.endEditBlock();
    writing_ = false;
  }
}

}  // namespace morvexa
