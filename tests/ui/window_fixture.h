#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <filesystem>

#include "../support/files.h"
#include "frm_main.h"
#include "recording_dialogs.h"

namespace morvexa {

// Types text as a person would, one character a key press (QTest's own
// typing knows only ASCII).
inline void Type(QWidget* widget, const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype length = text[i].isHighSurrogate() ? 2 : 1;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, length));
    QApplication::sendEvent(widget, &press);
    i += length - 1;
  }
}

using testing_support::ReadFile;
using testing_support::WriteFile;

// A main window whose messages and dialogs are recorded, and a folder of
// its own for files.
class WindowTest : public testing::Test {
 protected:
  WindowTest() : window(dialogs) {
    dir = std::filesystem::temp_directory_path() /
          ("morvexa-ui-" + std::to_string(getpid()) + "-" + std::to_string(++count_));
    std::filesystem::create_directories(dir);
  }
  ~WindowTest() override { std::filesystem::remove_all(dir); }

  template <typename T = QWidget>
  T* Control(const char* name) {
    T* control = window.findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  void ShowActive() {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  void Click(const char* name) { QTest::mouseClick(Control<QAbstractButton>(name), Qt::LeftButton); }

  QString Path(const char* name) const { return QString::fromStdString((dir / name).string()); }

  RecordingDialogs dialogs;
  Tfrmmain window;
  std::filesystem::path dir;

 private:
  static inline int count_ = 0;
};

}  // namespace morvexa
