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

}  // namespace morvexa
