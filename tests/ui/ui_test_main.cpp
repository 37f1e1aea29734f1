// The window tests run on Qt's offscreen platform with one application.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Settings the tests make go to a folder of their own, not the user's.
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Morvexa"));
  QApplication::setApplicationDisplayName(QStringLiteral("Morvexa"));
  return RUN_ALL_TESTS();
}
