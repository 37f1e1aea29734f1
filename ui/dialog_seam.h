#pragma once

#include <QString>

class QDialog;
class QFileDialog;
class QWidget;

namespace morvexa {

enum class MessageIcon { Information, Warning, Error, Stop };

// The answers to "save the art first?".
enum class SaveChoice { Save, DontSave, Cancel };

// Everything the windows show modally goes through here: message boxes with
// an OK button only, and the file dialogs. The program uses QtDialogs; the
// tests record what would be shown and answer the dialogs themselves.
class DialogSeam {
 public:
  virtual ~DialogSeam() = default;

  // A modal message box; a null owner means one owned by the application.
  virtual void ShowMessage(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon) = 0;

  // Shows a configured file dialog modally: the chosen file's path, or an
  // empty string when the user cancelled.
  virtual QString Execute(QFileDialog& dialog) = 0;

  // Shows a dialog of the program's own modally, until the user closes it.
  virtual void ShowModal(QDialog& dialog) = 0;

  // Asks whether to save art that was never saved before it goes:
  // 保存 / 不保存 / 取消.
  virtual SaveChoice AskToSave(QWidget* owner) = 0;
};

// The real dialogs: QMessageBox and QFileDialog.
class QtDialogs final : public DialogSeam {
 public:
  void ShowMessage(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon) override;
  QString Execute(QFileDialog& dialog) override;
  void ShowModal(QDialog& dialog) override;
  SaveChoice AskToSave(QWidget* owner) override;
};

}  // namespace morvexa
