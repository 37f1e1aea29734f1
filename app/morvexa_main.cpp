// morvexa: the main window.
#include <QApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "frm_main.h"
#include "morvexa/save_recovery.h"
#include "morvexa/standard_streams.h"
#include "morvexa/temporary_files.h"
#include "morvexa_version.h"
#include "program_start.h"

namespace {

const char kHelp[] =
    "Usage: morvexa [OPTION]... [PICTURE]\n"
    "Opens the window that makes text pictures: Chinese characters drawn with\n"
    "symbols, and pictures turned into text, one printable ASCII symbol per color,\n"
    "saved as code page 936 text. A PICTURE given is converted at once, as the\n"
    "window's picture button does, drawn as the open dialog was left, or as the\n"
    "picture options given with it say (for that picture only).\n"
    "\n"
    "Options:\n"
    "  -h, --help      display this help and exit\n"
    "  -V, --version   output version information and exit\n"
    "\n"
    "Picture options, as morvexa-cli picture takes them:\n"
    "      --width=N       N columns of art (0: one a pixel)\n"
    "      --height=N      N lines of art (0: one a pixel)\n"
    "      --aspect=R      the width of a text cell over its height (default 0.5)\n"
    "      --colors=K      reduce the picture to at most K colors (2 to 95)\n"
    "      --dither        diffuse the error of reduced colors\n"
    "      --ramp[=CHARS]  give each cell the symbol of its brightness\n"
    "      --shapes        give each cell the symbol whose glyph is most like it\n"
    "      --blocks        draw cells with the block elements code page 936 holds\n"
    "      --fill          give each cell a background color too\n"
    "      --invert        light symbols on dark paper (--ramp, --shapes, --blocks)\n"
    "      --frame=N       convert frame N (from 1) of an animated GIF or WebP\n"
    "\n"
    "The options every Qt program takes, such as -platform NAME, work too.\n"
    "Run 'morvexa-cli --help' to make the same art from scripts.\n";

const char kVersion[] = "morvexa (Morvexa) " MORVEXA_VERSION "\n" MORVEXA_VERSION_NOTICE;

// Answers --help and --version, which need no display, before the window
// starts: the exit status, or -1 when neither is asked for.
int AnswerHelpOrVersion(int argc, char** argv) {
  for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    const char* text = nullptr;
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) text = kHelp;
    if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-V") == 0) text = kVersion;
    if (text != nullptr) return std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
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
