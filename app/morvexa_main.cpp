// morvexa: the main window.
#include <QApplication>
#include <QScreen>
#include <csignal>

#include "frm_main.h"
#include "temporary_files.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Morvexa"));
  QApplication::setApplicationDisplayName(QStringLiteral("Morvexa"));

  morvexa::temporary_files::CleanUpOnSignals();
  std::signal(SIGXFSZ, SIG_IGN);  // a save past a file-size limit fails with a message

  morvexa::QtDialogs dialogs;
  morvexa::Tfrmmain window(dialogs);
  window.move(window.screen()->availableGeometry().center() - window.rect().center());
  window.show();
  return QApplication::exec();
}
