#include <QLabel>
#include <QPlainTextEdit>

#include "Unit2.h"
#include "window_fixture.h"

namespace morvexa {
namespace {

using AboutBox = WindowTest;

TEST_F(AboutBox, EachClickShowsAFreshModalBox) {
  std::vector<QDialog*> seen;
  dialogs.onModal = [&](QDialog& box) {
    seen.push_back(&box);
    EXPECT_STREQ(box.metaObject()->className(), "morvexa::TForm2");
    EXPECT_EQ(box.parent(), nullptr) << "owned by the application";
  };
  Click("SpeedButton1");
  Click("SpeedButton1");
  EXPECT_EQ(dialogs.modalsShown, 2);
  for (QWidget* w : QApplication::topLevelWidgets())
    EXPECT_EQ(qobject_cast<TForm2*>(w), nullptr) << "destroyed when closed";
}

TEST(AboutBoxLayout, ShowsTheProgramItsDescriptionAndContacts) {
  TForm2 box;
  EXPECT_EQ(box.windowTitle(), "关于");
  EXPECT_EQ(box.size(), QSize(228, 179));
  EXPECT_EQ(box.minimumSize(), box.maximumSize()) << "fixed size";
  EXPECT_FALSE(box.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(box.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(box.palette().color(QPalette::Window), box.palette().color(QPalette::ToolTipBase));
  EXPECT_EQ(box.palette().color(QPalette::WindowText), QColor(0x00, 0x80, 0x00));
  EXPECT_EQ(box.font().pixelSize(), 14);

  auto* panel = box.findChild<QLabel*>("Panel2");
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->text(), "欢迎使用—Morvexa");
  EXPECT_EQ(panel->geometry(), QRect(8, 0, 209, 30));
  EXPECT_EQ(panel->frameShadow(), QFrame::Raised);

  auto* memo = box.findChild<QPlainTextEdit*>("Memo1");
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(memo->geometry(), QRect(8, 32, 209, 97));
  EXPECT_TRUE(memo->isReadOnly());
  EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(memo->toPlainText().split('\n').size(), 10);
  EXPECT_TRUE(memo->toPlainText().contains("BMP"));
  EXPECT_TRUE(memo->textInteractionFlags() & Qt::TextSelectableByMouse) << "it can be selected";
  EXPECT_EQ(panel->focusPolicy(), Qt::NoFocus) << "the focus starts where it shows";
  box.show();
  EXPECT_EQ(box.focusWidget(), memo);
  EXPECT_FALSE(box.windowIcon().isNull()) << "the program's icon";

  auto* first = box.findChild<QLabel*>("Label3");
  auto* second = box.findChild<QLabel*>("Label4");
  auto* credit = box.findChild<QLabel*>("Label6");
  ASSERT_TRUE(first && second && credit);
  EXPECT_EQ(first->pos(), QPoint(8, 136));
  EXPECT_EQ(second->pos(), QPoint(8, 160));
  EXPECT_EQ(credit->pos(), QPoint(144, 160));
  EXPECT_EQ(credit->text(), "作者:墨文坊");
  EXPECT_TRUE(credit->font().stretch() == QFont::AnyStretch || credit->font().stretch() == QFont::Unstretched)
      << "drawn at full width";
  EXPECT_LE(credit->x() + QFontMetrics(credit->font()).horizontalAdvance(credit->text()), box.width()) << "not cut off";
  for (QLabel* link : {first, second}) {
    EXPECT_TRUE(link->text().endsWith("@example.org"));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0xFF));
  }
}

TEST(AboutBoxLayout, LinksAskForMailAndIgnoreFailure) {
  TForm2 box;
  std::vector<QUrl> asked;
  box.openUrl = [&](const QUrl& url) {
    asked.push_back(url);
    return false;  // no mail program
  };
  box.show();
  QTest::mouseClick(box.findChild<QLabel*>("Label3"), Qt::LeftButton);
  QTest::mouseClick(box.findChild<QLabel*>("Label4"), Qt::LeftButton);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].toString(), "mailto:" + box.findChild<QLabel*>("Label3")->text());
  EXPECT_EQ(asked[1].toString(), "mailto:" + box.findChild<QLabel*>("Label4")->text());
  EXPECT_TRUE(box.isVisible()) << "the box stays open";
  EXPECT_EQ(QApplication::activeModalWidget(), &box) << "no message box over it";
}

}  // namespace
}  // namespace morvexa
