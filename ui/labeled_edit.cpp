#include "labeled_edit.h"

#include <QEvent>
#include <QLabel>

namespace morvexa {

LabeledEdit::LabeledEdit(QWidget* parent)
    : QLineEdit(parent), label_(new QLabel(parent)), limit_(new ByteLimitValidator(0, this)) {
  label_->setObjectName("EditLabel");
  label_->setBuddy(this);
  setValidator(limit_);
}

QString LabeledEdit::labelText() const { return label_->text(); }

void LabeledEdit::setLabelText(const QString& text) {
  label_->setText(text);
  label_->adjustSize();
  PlaceLabel();
}

void LabeledEdit::setLabelPosition(LabelPosition position) {
  position_ = position;
  PlaceLabel();
}

void LabeledEdit::setLabelSpacing(int spacing) {
  spacing_ = spacing;
  PlaceLabel();
}

int LabeledEdit::maxBytes() const { return limit_->maxBytes(); }

void LabeledEdit::setMaxBytes(int maxBytes) { limit_->setMaxBytes(maxBytes); }

int LabeledEdit::maxCharacters() const { return limit_->maxCharacters(); }

void LabeledEdit::setMaxCharacters(int maxCharacters) { limit_->setMaxCharacters(maxCharacters); }

void LabeledEdit::moveEvent(QMoveEvent* event) {
  QLineEdit::moveEvent(event);
  PlaceLabel();
}

void LabeledEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  PlaceLabel();
}

void LabeledEdit::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange && label_) {
    label_->setFont(font());
    label_->adjustSize();
    PlaceLabel();
  }
}

void LabeledEdit::PlaceLabel() {
  if (!label_) return;
  const QRect box = geometry();
  const QSize size = label_->sizeHint();
  label_->resize(size);
  if (position_ == Left) {
    label_->move(box.left() - spacing_ - size.width(), box.top() + (box.height() - size.height()) / 2);
  } else {
    label_->move(box.left(), box.top() - spacing_ - size.height());
  }
}

}  // namespace morvexa
