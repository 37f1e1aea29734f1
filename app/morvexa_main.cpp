// morvexa: the main window.
#include <QApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "frm_main.h"
#include "morvexa/option_table.h"
#include "morvexa/save_recovery.h"
#include "morvexa/standard_streams.h"
#include "morvexa/temporary_files.h"
#include "morvexa_version.h"
#include "program_start.h"

namespace {

// The help, its options from the table both programs read their options by.
std::string Help() {
  return std::string(
             "Usage: morvexa [OPTION]... [PICTURE]\n"
             "Opens the window that makes text pictures: Chinese characters drawn with\n"
             "symbols, and pictures turned into text, one printable ASCII symbol per color,\n"
             "saved as code page 936 text. A PICTURE given is converted at once, as the\n"
             "window's picture button does, drawn as the open dialog was left, or as the\n"
             "picture options given with it say (for that picture only).\n"
             "\n"
             "Options:\n") +
         morvexa::OptionsHelp([](const morvexa::OptionEntry& o) { return (o.takers & morvexa::kWindow) && o.letter; },
                              true) +
         "\nPicture options, as morvexa-cli picture takes them:\n" +
         morvexa::OptionsHelp([](const morvexa::OptionEntry& o) { return (o.takers & morvexa::kWindow) && !o.letter; },
                              true) +
         "\n"
         "The options every Qt program takes, such as -platform NAME, work too.\n"
         "Run 'morvexa-cli --help' to make the same art from scripts.\n";
}

const char kVersion[] = "morvexa (Morvexa) " MORVEXA_VERSION "\n" MORVEXA_VERSION_NOTICE;

// Answers --help and --version, which need no display, before the window
// starts: the exit status, or -1 when neither is asked for.
int AnswerHelpOrVersion(int argc, char** argv) {
  for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    std::string text;
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) text = Help();
    if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-V") == 0) text = kVersion;
    if (!text.empty()) return std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (!morvexa::FillClosedStandardStreams()) return 1;
  if (const int status = AnswerHelpOrVersion(argc, argv); status >= 0) return status;
  // A wrong command line is refused before anything needs a display; Qt
  // takes its own options from argv afterwards, as given.
  QStringList words;
  for (int i = 0; i < argc; ++i) words.append(QString::fromLocal8Bit(argv[i]));
  const morvexa::WindowArguments arguments = morvexa::ParseWindowArguments(words);
  if (!arguments.error.isEmpty()) {
    std::fprintf(stderr, "morvexa: %s\nTry 'morvexa --help' for more information.\n", qPrintable(arguments.error));
    return 2;
  }
  QApplication::setApplicationVersion(QStringLiteral(MORVEXA_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral(MORVEXA_APPLICATION_ID));  // names its desktop entry and icon

  QApplication app(argc, argv);
  morvexa::SetUpApplication(app);

  morvexa::temporary_files::CleanUpOnSignals();
  std::signal(SIGXFSZ, SIG_IGN);  // a save past a file-size limit fails with a message

  morvexa::QtDialogs dialogs;
  morvexa::Tfrmmain window(dialogs);
  window.show();
  // Saves of earlier runs cut short, and those a save of this one settles.
  morvexa::OnInterruptedSaveSettled(
      [&window](const morvexa::InterruptedSave& save) { window.TellOfInterruptedSave(save); });
  QTimer::singleShot(0, &window, [&window] {
    for (const morvexa::InterruptedSave& save : morvexa::RecoverInterruptedSaves()) window.TellOfInterruptedSave(save);
  });
  if (!arguments.picture.isEmpty()) {
    QTimer::singleShot(0, &window, [&window, &arguments] {
      window.ConvertPictureCommand(arguments.picture, arguments.options, arguments.frame);
    });
  }
  return QApplication::exec();
}
