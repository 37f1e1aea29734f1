// morvexa: the main window.
#include <QApplication>
#include <QScreen>

#include "frm_main.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Morvexa"));
  QApplication::setApplicationDisplayName(QStringLiteral("Morvexa"));

  morvexa::QtDialogs dialogs;
  morvexa::Tfrmmain window(dialogs);
  window.move(window.screen()->availableGeometry().center() - window.rect().center());
  window.show();
  return QApplication::exec();
}
