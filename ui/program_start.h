#pragma once

#include <QIcon>

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

}  // namespace morvexa
