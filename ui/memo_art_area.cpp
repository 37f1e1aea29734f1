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

char16_t* PutUtf16(char32_t c, char16_t* out) {
  if (c < 0x10000) {
    *out++ = static_cast<char16_t>(c);
  } else {
    *out++ = QChar::highSurrogate(c);
    *out++ = QChar::lowSurrogate(c);
  }
  return out;
}

}  // namespace

MemoArtArea::MemoArtArea(QPlainTextEdit* memo) : QObject(memo), memo_(memo) {
  connect(memo->document(), &QTextDocument::contentsChange, this,
          [this](int position, int, int added) { ReplaceUnencodableTyped(position, added); });
}

// One pass over the bytes: ASCII as it is, each CR LF as a line break, CR
// and LF bytes that are not part of one as byte escapes (they would split
// the line in the box), everything else decoded.
QString MemoArtArea::DisplayFromArt(ByteStringView art) {
  // A byte becomes at most two UTF-16 units (an escape outside the basic
  // plane); the text is written in place and cut to its length at the end.
  QString display(static_cast<qsizetype>(2 * art.size()), Qt::Uninitialized);
  char16_t* const begin = reinterpret_cast<char16_t*>(display.data());
  char16_t* out = begin;
  for (std::size_t i = 0; i < art.size();) {
    const auto b = static_cast<unsigned char>(art[i]);
    if (b == '\r' && i + 1 < art.size() && art[i + 1] == '\n') {
      *out++ = u'\n';
      i += 2;
    } else if (b == '\r' || b == '\n') {
      out = PutUtf16(cp936::kByteEscapeBase + b, out);
      ++i;
    } else if (b < 0x80) {
      *out++ = b;
      ++i;
    } else {
      char32_t c;
      i += cp936::DecodeAt(art, i, c);
      out = PutUtf16(c, out);
    }
  }
  display.resize(out - begin);
  return display;
}

ByteString MemoArtArea::ArtFromDisplay(const QString& display) {
  ByteString art;
  art.reserve(static_cast<std::size_t>(display.size()) + 64);
  const qsizetype n = display.size();
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t u = display[i].unicode();
    if (u == '\n' || u == QChar::ParagraphSeparator) {  // the document's raw text separates lines with the latter
      art += kLineBreak;
    } else if (u < 0x80) {
      art += static_cast<char>(u);
    } else if (QChar::isHighSurrogate(u) && i + 1 < n && display[i + 1].isLowSurrogate()) {
      cp936::AppendEncoded(QChar::surrogateToUcs4(u, display[i + 1].unicode()), art);
      ++i;
    } else {
      cp936::AppendEncoded(u, art);
    }
  }
  return art;
}

MemoryArtArea& MemoArtArea::Loaded() const {
  if (!copy_) {
    copy_.emplace(ArtFromDisplay(memo_->document()->toRawText()));
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
