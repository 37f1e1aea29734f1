#include "list_char_list.h"

#include <QColor>
#include <QListWidget>
#include <stdexcept>

#include "qt_text.h"
#include "window_font.h"

namespace morvexa {

namespace {
constexpr int kBytesRole = Qt::UserRole;
}  // namespace

void ListCharList::Clear() { list_->clear(); }

void ListCharList::Add(ByteStringView s) {
  // The space would be invisible: it shows as "␣", lighter, and stays the
  // one-byte space.
  auto* item = new QListWidgetItem(s == " " ? QStringLiteral("␣") : BytesToQString(s));
  if (s == " ") item->setForeground(QColor(0x90, 0x90, 0x90));
  item->setData(kBytesRole, QByteArray(s.data(), static_cast<qsizetype>(s.size())));
  item->setSizeHint(QSize(0, kListItemHeight));
  list_->addItem(item);
}

void ListCharList::Delete(int i) {
  if (i < 0 || i >= Count()) throw std::out_of_range("ListCharList::Delete");
  delete list_->takeItem(i);
  list_->clearSelection();
  list_->setCurrentRow(-1);
}

int ListCharList::Selected() const {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  return selected.isEmpty() ? -1 : list_->row(selected.front());
}

int ListCharList::Count() const { return list_->count(); }

ByteString ListCharList::Get(int i) const {
  const QListWidgetItem* item = list_->item(i);
  if (!item) throw std::out_of_range("ListCharList::Get");
  const QByteArray bytes = item->data(kBytesRole).toByteArray();
  return ByteString(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace morvexa
