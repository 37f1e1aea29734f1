#pragma once

#include <QWidget>
#include <deque>
#include <vector>

#include "dialog_seam.h"

namespace morvexa {

// Records every message box instead of showing it, and answers file
// dialogs from a script: a path, or an empty string for a cancel.
class RecordingDialogs final : public DialogSeam {
 public:
  struct Message {
    QWidget* owner;
    QString text;
    QString caption;
    MessageIcon icon;
  };

  void ShowMessage(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon) override {
    messages.push_back({owner, text, caption, icon});
  }

  QString Execute(QFileDialog& dialog) override {
    executed.push_back(&dialog);
    if (answers.empty()) return {};
    QString answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<Message> messages;
  std::deque<QString> answers;
  std::vector<QFileDialog*> executed;
};

}  // namespace morvexa
