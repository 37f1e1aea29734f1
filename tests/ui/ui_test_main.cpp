// The window tests run on Qt's offscreen platform with one application.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <filesystem>
#include <string>

#include "program_start.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The settings the tests make go to a folder of this run's own: not the
  // user's, and not another test's running beside it.
  const auto config = std::filesystem::temp_directory_path() / ("morvexa-ui-config-" + std::to_string(getpid()));
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.string()));
  QApplication app(argc, argv);
  morvexa::SetUpApplication(app);
  const int result = RUN_ALL_TESTS();
  std::filesystem::remove_all(config);
  return result;
}
