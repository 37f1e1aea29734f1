// morvexa: the main window.
#include <QApplication>
#include <csignal>

#include "frm_main.h"
#include "program_start.h"
#include "temporary_files.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  morvexa::SetUpApplication(app);

  morvexa::temporary_files::CleanUpOnSignals();
  std::signal(SIGXFSZ, SIG_IGN);  // a save past a file-size limit fails with a message

  morvexa::QtDialogs dialogs;
  morvexa::Tfrmmain window(dialogs);
  window.show();
  return QApplication::exec();
}
