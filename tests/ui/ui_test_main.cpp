// The window tests run on Qt's offscreen platform with one application.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Morvexa"));
  QApplication::setApplicationDisplayName(QStringLiteral("Morvexa"));
  return RUN_ALL_TESTS();
}
