// The real side of the dialog seam: a QMessageBox and a QFileDialog shown
// offscreen and closed from a timer.
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include "dialog_seam.h"
#include "window_fixture.h"

namespace morvexa {
namespace {

// Runs check on the modal widget once it is up, then closes it.
template <typename T>
void WhenShown(std::function<void(T*)> check) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, check] {
    if (auto* modal = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      check(modal);
    }
  });
  timer->start();
}

TEST(RealDialogs, MessageBoxAndFileDialogAreShownAndClosed) {
  QtDialogs dialogs;
  bool sawBox = false;
  WhenShown<QMessageBox>([&](QMessageBox* box) {
    sawBox = true;
    EXPECT_EQ(box->text(), "已保存");
    EXPECT_EQ(box->windowTitle(), "完成");
    EXPECT_EQ(box->icon(), QMessageBox::Information);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    box->button(QMessageBox::Ok)->click();
  });
  dialogs.ShowMessage(nullptr, "已保存", "完成", MessageIcon::Information);
  EXPECT_TRUE(sawBox);

  QFileDialog dialog(nullptr, "打开", QDir::tempPath(), "All.bmp (*.bmp)");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  bool sawDialog = false;
  WhenShown<QFileDialog>([&](QFileDialog* shown) {
    sawDialog = true;
    EXPECT_EQ(shown, &dialog);
    shown->reject();
  });
  EXPECT_EQ(dialogs.Execute(dialog), "") << "a cancel";
  EXPECT_TRUE(sawDialog);
}

}  // namespace
}  // namespace morvexa
