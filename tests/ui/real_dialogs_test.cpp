// The real side of the dialog seam: a QMessageBox and a QFileDialog shown
// offscreen and closed from a timer.
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

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
    EXPECT_EQ(box->button(QMessageBox::Ok)->text(), "确定") << "Qt's own texts in Chinese";
    EXPECT_FALSE(box->windowIcon().isNull()) << "the program's icon";
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

namespace morvexa {
namespace {

// Qt's own dialogs in Chinese, at sizes where their columns show what they
// hold.
using QtsOwnDialogs = WindowTest;

TEST_F(QtsOwnDialogs, SpeakChineseAndShowTheirColumnsWhole) {
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), "确定") << "Qt's Chinese translations are loaded";
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "查找范围：");
  std::filesystem::create_directory(dir / "pictures");
  WriteFile(dir / "pictures" / "art.txt", std::string(108054, 'x'));
  for (QFileDialog* dialog : {&window.OpenDialog(), &window.SaveDialog()}) {
    SCOPED_TRACE(dialog->objectName().toStdString());
    dialog->setDirectory(Path(""));
    dialog->setNameFilter(QStringLiteral("* (*)"));
    dialog->show();
    // Into the folder by typing its path, as a person does.
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(Path("pictures/"));
    QTest::keyClick(name, Qt::Key_Return);
    auto* view = dialog->findChild<QTreeView*>();
    ASSERT_NE(view, nullptr);
    QTRY_VERIFY(view->model()->rowCount(view->rootIndex()) > 0);
    // The sizes and types come later, from Qt's file information thread.
    const QModelIndex size = view->model()->index(0, 1, view->rootIndex());
    QTRY_VERIFY(!view->model()->data(size).toString().isEmpty());
    QTest::qWait(50);
    for (int column = 1; column < view->model()->columnCount(); ++column) {
      EXPECT_GE(view->columnWidth(column), static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column))
          << "column " << column;
      EXPECT_GE(view->columnWidth(column), view->header()->sectionSizeHint(column)) << "column " << column;
    }
    EXPECT_LE(view->header()->length(), view->viewport()->width()) << "every column in sight";
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), "取消");
    dialog->hide();
  }
}

}  // namespace
}  // namespace morvexa
