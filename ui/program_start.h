#pragma once

#include <optional>

#include <QIcon>
#include <QString>
#include <QStringList>

#include "morvexa/picture_options.h"

class QApplication;

namespace morvexa {

// Makes the application the program: its name (which captions the failure
// report; no display name, which the window system would add to every
// dialog's caption), Qt's own texts in Chinese, and its icon for every
// window.
void SetUpApplication(QApplication& app);

// Loads Qt's Chinese translations (qtbase_zh_CN, from Qt's own translations
// folder), so that the dialogs Qt provides speak Chinese; false when they
// are not installed.
bool LoadQtTranslations(QApplication& app);

// The program's icon, at every size it is drawn at.
QIcon ProgramIcon();

// What the window's command line asks for: at most one picture to convert
// ("--" ends the options), drawn as the picture options given with it say
// (those morvexa-cli picture takes, read by the same code), or as the
// window remembers when none are. Read from all of the arguments, the
// program's name first, before the application exists (so that a wrong one
// is refused without a display): Qt's own options (-platform NAME, -style
// NAME, -reverse ...), which Qt takes from them later, are passed over.
struct WindowArguments {
  QString picture;                        // empty: none
  std::optional<PictureOptions> options;  // the picture options given, checked
  std::size_t frame = 0;                  // of an animation, from 0 (--frame N gives N - 1)
  QString error;                          // why the command line is wrong, for standard error; empty: it is not
};
WindowArguments ParseWindowArguments(const QStringList& arguments);

}  // namespace morvexa
