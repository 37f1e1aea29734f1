#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include "byte_limit_validator.h"

namespace morvexa {

// A text box with a label attached beside or above it, kept in place as the
// box moves, and optional limits in code page 936 bytes and in characters.
class LabeledEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(QString labelText READ labelText WRITE setLabelText)
  Q_PROPERTY(LabelPosition labelPosition READ labelPosition WRITE setLabelPosition)
  Q_PROPERTY(int labelSpacing READ labelSpacing WRITE setLabelSpacing)
  Q_PROPERTY(int maxBytes READ maxBytes WRITE setMaxBytes)
  Q_PROPERTY(int maxCharacters READ maxCharacters WRITE setMaxCharacters)

 public:
  enum LabelPosition { Left, Above };
  Q_ENUM(LabelPosition)

  explicit LabeledEdit(QWidget* parent = nullptr);

  QLabel* Label() const { return label_; }
  QString labelText() const;
  void setLabelText(const QString& text);
  LabelPosition labelPosition() const { return position_; }
  void setLabelPosition(LabelPosition position);
  int labelSpacing() const { return spacing_; }
  void setLabelSpacing(int spacing);
  int maxBytes() const;
  void setMaxBytes(int maxBytes);
  int maxCharacters() const;
  void setMaxCharacters(int maxCharacters);

 protected:
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void PlaceLabel();

  QPointer<QLabel> label_;
  ByteLimitValidator* limit_;
  LabelPosition position_ = Above;
  int spacing_ = 3;
};

}  // namespace morvexa
