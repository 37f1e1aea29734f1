#include "memo_art_area.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "cp936.h"
#include "qt_text.h"

namespace morvexa {

namespace {

// CR and LF bytes inside a line would split it in the box: they travel as
// byte escapes instead.
QString LineForDisplay(ByteStringView line) {
  std::u32string text = cp936::Decode(line);
  for (char32_t& c : text) {
    if (c == U'\r' || c == U'\n') c = cp936::kByteEscapeBase + c;
  }
  return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

MemoArtArea::MemoArtArea(QPlainTextEdit* memo) : QObject(memo), memo_(memo) {
  connect(memo->document(), &QTextDocument::contentsChange, this,
          [this](int position, int, int added) { ReplaceUnencodableTyped(position, added); });
}

QString MemoArtArea::DisplayFromArt(ByteStringView art) {
  QString display;
  std::size_t start = 0;
  while (true) {
    const auto end = art.find(kLineBreak, start);
    display += LineForDisplay(art.substr(start, end == ByteStringView::npos ? ByteStringView::npos : end - start));
    if (end == ByteStringView::npos) break;
    display += QLatin1Char('\n');
    start = end + kLineBreak.size();
  }
  return display;
}

ByteString MemoArtArea::ArtFromDisplay(const QString& display) {
  ByteString art;
  art.reserve(static_cast<std::size_t>(display.size()) + 64);
  qsizetype start = 0;
  while (true) {
    const qsizetype end = display.indexOf(QLatin1Char('\n'), start);
    art += QStringToBytes(display.mid(start, end < 0 ? -1 : end - start));
    if (end < 0) break;
    art += kLineBreak;
    start = end + 1;
  }
  return art;
}

MemoryArtArea& MemoArtArea::Loaded() const {
  if (!copy_) {
    QString display = memo_->document()->toRawText();
    display.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    copy_.emplace(ArtFromDisplay(display));
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

void MemoArtArea::Flush() {
  if (changed_ && copy_ && memo_) {
    const int across = memo_->horizontalScrollBar()->value();
    const int down = memo_->verticalScrollBar()->value();
    writing_ = true;
    memo_->setPlainText(DisplayFromArt(copy_->Text()));
    writing_ = false;
    memo_->horizontalScrollBar()->setValue(across);
    memo_->verticalScrollBar()->setValue(down);
  }
  copy_.reset();
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
    if (cp936::CanEncode(c) || cp936::IsByteEscape(c)) {
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
