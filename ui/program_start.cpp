#include "program_start.h"

#include <QApplication>
#include <QDirIterator>
#include <QLibraryInfo>
#include <QTranslator>

namespace morvexa {

void SetUpApplication(QApplication& app) {
  QApplication::setApplicationName(QStringLiteral("Morvexa"));
  LoadQtTranslations(app);
  QApplication::setWindowIcon(ProgramIcon());
}

bool LoadQtTranslations(QApplication& app) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QApplication::installTranslator(translator);
}

QIcon ProgramIcon() {
  QIcon icon;
  // Every size drawn, from the images built into the program.
  QDirIterator sizes(QStringLiteral(":/icons/hicolor"), {QStringLiteral("*.png")}, QDir::Files,
                     QDirIterator::Subdirectories);
  while (sizes.hasNext()) icon.addFile(sizes.next());
  return icon;
}

WindowArguments ParseWindowArguments(const QStringList& arguments) {
  WindowArguments parsed;
  bool optionsEnded = false;
  for (const QString& argument : arguments.mid(1)) {
    if (!optionsEnded && argument == QStringLiteral("--")) {
      optionsEnded = true;
    } else if (!optionsEnded && argument.startsWith(u'-') && argument != QStringLiteral("-")) {
      parsed.error = QStringLiteral("unrecognized option '%1'").arg(argument);
      return parsed;
    } else if (!parsed.picture.isEmpty()) {
      parsed.error = QStringLiteral("one picture at most: '%1' is another").arg(argument);
      return parsed;
    } else {
      parsed.picture = argument;
    }
  }
  return parsed;
}

}  // namespace morvexa
