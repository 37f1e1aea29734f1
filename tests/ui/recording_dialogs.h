#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QWidget>
#include <deque>
#include <functional>
#include <vector>

#include "dialog_seam.h"

namespace morvexa {

// Records every message box instead of showing it, answers file dialogs
// from a script (a path, or an empty string for a cancel), and hands modal
// dialogs to a test instead of blocking.
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
    offered.push_back(dialog.selectedFiles().value(0));
    if (answers.empty()) return {};
    QString answer = answers.front();
    answers.pop_front();
    return answer;
  }

  // Looks at the dialog while it would be shown, instead of blocking.
  void ShowModal(QDialog& dialog) override {
    ++modalsShown;
    if (onModal) onModal(dialog);
  }

  SaveChoice AskToSave(QWidget*) override {
    ++askedToSave;
    return saveChoice;
  }

  std::vector<Message> messages;
  int askedToSave = 0;
  SaveChoice saveChoice = SaveChoice::Cancel;
  int modalsShown = 0;
  std::function<void(QDialog&)> onModal;
  std::deque<QString> answers;
  std::vector<QFileDialog*> executed;
  std::vector<QString> offered;  // the file each dialog offered when shown
};

}  // namespace morvexa
