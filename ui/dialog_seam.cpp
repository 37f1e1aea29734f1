#include "dialog_seam.h"

#include <QFileDialog>
#include <QMessageBox>

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

}  // namespace morvexa
