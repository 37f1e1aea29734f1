#include "memo_art_area.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <span>

#include "qt_text.h"

namespace morvexa {

MemoArtArea::MemoArtArea(QPlainTextEdit* memo) : QObject(memo), memo_(memo) {
  connect(memo->document(), &QTextDocument::contentsChange, this, [this](int position, int, int added) {
    if (writing_) return;
    // Typed, pasted, undone: a copy read before is out of date.
    if (!changed_) copy_.reset();
    ReplaceUnencodableTyped(position, added);
  });
}

MemoryArtArea& MemoArtArea::Loaded() const {
  if (adopted_) {
    // Art made elsewhere and not yet shown, read back as it will show.
    copy_.emplace(QStringToBytes(*adopted_));
    adopted_.reset();
  }
  if (!copy_) copy_.emplace(QStringToBytes(memo_->document()->toRawText()));
  return *copy_;
}

MemoryArtArea& MemoArtArea::Changing() {
  changed_ = true;
  return Loaded();
}

void MemoArtArea::Clear() {
  copy_.emplace();
  colors_.Clear();
  changed_ = true;
}

void MemoArtArea::WriteLine(std::size_t i, ByteStringView line) {
  Changing().WriteLine(i, line);
  colors_.AppendLine(line, {});
}

void MemoArtArea::WriteColoredLine(std::size_t i, ByteStringView line, LineColors colors) {
  Changing().WriteLine(i, line);
  colors_.AppendLine(line, colors);
}

std::size_t MemoArtArea::LineCount() const { return Loaded().LineCount(); }
ByteString MemoArtArea::GetLine(std::size_t i) const { return Loaded().GetLine(i); }

void MemoArtArea::SetLine(std::size_t i, ByteStringView line) {
  colors_.Replace(i, Loaded().GetLine(i), line);
  Changing().SetLine(i, line);
}

ByteString MemoArtArea::Text() const { return Loaded().Text(); }

void MemoArtArea::Adopt(QString&& text, ColorLayer&& colors) {
  copy_.reset();
  adopted_ = std::move(text);
  colors_ = std::move(colors);
  changed_ = true;
}

std::string MemoArtArea::Export(const ArtFormSettings& form) const {
  QTextCursor all(memo_->document());
  all.select(QTextCursor::Document);
  return Export(form, all);
}

std::string MemoArtArea::Export(const ArtFormSettings& form, const QTextCursor& selection) const {
  std::string out;
  ArtWriter writer(form, [&out](std::string_view bytes) { out += bytes; });
  const QTextDocument* document = memo_->document();
  const QTextBlock first = document->findBlock(selection.selectionStart());
  const QTextBlock last = document->findBlock(selection.selectionEnd());
  // A line of the art is a block of the box; the empty block after the
  // last line break is not a line.
  const bool lastIsLine = last.blockNumber() + 1 < document->blockCount() || !last.text().isEmpty();
  std::vector<Rgb> ink, paper;
  for (QTextBlock block = first; block.isValid() && block.blockNumber() <= last.blockNumber(); block = block.next()) {
    if (block == last && !lastIsLine && block != first) break;
    const QString text = block.text();
    const int from = block == first ? selection.selectionStart() - block.position() : 0;
    const int to = block == last ? selection.selectionEnd() - block.position() : static_cast<int>(text.size());
    const ByteString line = QStringToBytes(text);
    colors_.ColorsOf(static_cast<std::size_t>(block.blockNumber()), line, ink, paper);
    // The selected characters' bytes: those of the text before them on.
    const std::size_t begin = QStringToBytes(text.left(from)).size(), end = QStringToBytes(text.left(to)).size();
    writer.Line(ByteStringView(line).substr(begin, end - begin),
                LineColors(ink, colors_.HasPaper() ? std::span<const Rgb>(paper) : std::span<const Rgb>())
                    .Part(begin, end - begin));
  }
  writer.Finish();
  return out;
}

bool MemoArtArea::Flush() {
  const bool flushing = changed_ && (copy_ || adopted_) && memo_;
  forgotten_ = false;
  if (flushing) {
    QTextDocument* document = memo_->document();
    const qint64 replaced = document->characterCount();
    undoCharacters_ += replaced;
    // Past the budget, the step is made with undo off: the document then
    // lets go of every text it kept, which clearing its stacks alone does not.
    forgotten_ = undoCharacters_ > kUndoCharacters;
    if (forgotten_) {
      document->setUndoRedoEnabled(false);
      undoCharacters_ = 0;
    }
    const int across = memo_->horizontalScrollBar()->value();
    const int down = memo_->verticalScrollBar()->value();
    writing_ = true;
    // The whole text at once, one step of the box's undo.
    QTextCursor cursor(memo_->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(adopted_ ? *adopted_ : BytesToQString(copy_->Text()));
    cursor.endEditBlock();
    if (forgotten_) document->setUndoRedoEnabled(true);
    writing_ = false;
    memo_->horizontalScrollBar()->setValue(across);
    memo_->verticalScrollBar()->setValue(down);
  }
  copy_.reset();
  adopted_.reset();
  changed_ = false;
  return flushing;
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
