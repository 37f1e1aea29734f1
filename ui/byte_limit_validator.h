#pragma once

#include <QValidator>

namespace morvexa {

// Limits a text box to a number of code page 936 bytes (0: no limit): 字
// takes two, "a" one; and, where asked, to a number of characters (0: no
// limit): one character takes "a" or 字, not "ab". Characters that code
// page 936 cannot hold become "?" as they are typed or pasted.
class ByteLimitValidator : public QValidator {
  Q_OBJECT

 public:
  explicit ByteLimitValidator(int maxBytes, QObject* parent = nullptr) : QValidator(parent), maxBytes_(maxBytes) {}

  State validate(QString& input, int& pos) const override;
  int maxBytes() const { return maxBytes_; }
  void setMaxBytes(int maxBytes) { maxBytes_ = maxBytes; }
  int maxCharacters() const { return maxCharacters_; }
  void setMaxCharacters(int maxCharacters) { maxCharacters_ = maxCharacters; }

 private:
  int maxBytes_;
  int maxCharacters_ = 0;
};

}  // namespace morvexa
