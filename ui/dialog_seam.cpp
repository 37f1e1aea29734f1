#include "dialog_seam.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace morvexa {

namespace {

QMessageBox::Icon ToQt(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error:
    case MessageIcon::Stop: return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtDialogs::ShowMessage(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon) {
  QMessageBox box(ToQt(icon), caption, text, QMessageBox::Ok, owner);
  box.setObjectName("messageBox");
  box.exec();
}

QString QtDialogs::Execute(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

void QtDialogs::ShowModal(QDialog& dialog) { dialog.exec(); }

SaveChoice QtDialogs::AskToSave(QWidget* owner) {
  QMessageBox box(QMessageBox::Question, QApplication::applicationName(), QStringLiteral("图像尚未保存，要先保存吗？"),
                  QMessageBox::NoButton, owner);
  box.setObjectName("askToSave");
  QPushButton* save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
  QPushButton* dontSave = box.addButton(QStringLiteral("不保存"), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
  box.setDefaultButton(save);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == save) return SaveChoice::Save;
  if (box.clickedButton() == dontSave) return SaveChoice::DontSave;
  return SaveChoice::Cancel;
}

}  // namespace morvexa
