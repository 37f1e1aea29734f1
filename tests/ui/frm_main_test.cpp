#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>

#include "drawn_symbols.h"
#include "frm_main.h"
#include "labeled_edit.h"
#include "morvexa/failure.h"
#include "recording_dialogs.h"
#include "window_fixture.h"
#include "window_font.h"

namespace morvexa {
namespace {

using MainWindow = WindowTest;

TEST_F(MainWindow, ControlsHaveTheirNamesParentsAndPlaces) {
  EXPECT_EQ(window.windowTitle(), "Morvexa");
  EXPECT_EQ(window.size(), QSize(581, 439));
  struct Row {
    const char* name;
    const char* className;
    const char* parent;
    QRect place;
  };
  const Row rows[] = {
      {"Memo1", "morvexa::ArtEdit", "Tfrmmain", {0, 8, 521, 368}},
      {"GroupBox1", "QGroupBox", "Tfrmmain", {0, 391, 581, 48}},
      {"Label1", "QLabel", "GroupBox1", {214, 24, -1, -1}},
      {"Label2", "QLabel", "GroupBox1", {328, 24, -1, -1}},
      {"Btntoasc", "QPushButton", "GroupBox1", {448, 16, 57, 25}},
      {"ledtin", "morvexa::LabeledEdit", "GroupBox1", {32, 20, 169, 20}},
      {"cboqian", "QComboBox", "GroupBox1", {264, 20, 57, 20}},
      {"cbobei", "QComboBox", "GroupBox1", {376, 20, 57, 20}},
      {"BitBtn1", "QPushButton", "GroupBox1", {520, 16, 49, 25}},
      {"Panel1", "QFrame", "Tfrmmain", {528, 0, 53, 391}},
      {"SpeedButton1", "QToolButton", "Panel1", {8, 3, 33, 25}},
      {"ledtnewc", "morvexa::LabeledEdit", "Panel1", {5, 48, 33, 20}},
      {"Label3", "QLabel", "Panel1", {2, 80, -1, -1}},
      {"lstselc", "QListWidget", "Panel1", {5, 96, 41, 225}},
      {"sbtorel", "QToolButton", "Panel1", {8, 328, 33, 25}},
      {"sbtosave", "QToolButton", "Panel1", {8, 360, 33, 25}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    QWidget* control = Control(row.name);
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(control->metaObject()->className(), row.className);
    EXPECT_EQ(control->parentWidget()->objectName(), row.parent);
    EXPECT_EQ(control->pos(), row.place.topLeft());
    if (row.place.width() >= 0) {
      EXPECT_EQ(control->size(), row.place.size());
    }
  }
}

TEST_F(MainWindow, ControlsHaveTheirCaptionsColorsAndSettings) {
  EXPECT_EQ(Control<QGroupBox>("GroupBox1")->title(), "生成图像");
  EXPECT_EQ(Control<QLabel>("Label1")->text(), "前景字符");
  EXPECT_EQ(Control<QLabel>("Label1")->palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0x00));
  EXPECT_EQ(Control<QLabel>("Label2")->text(), "背景字符");
  EXPECT_EQ(Control<QLabel>("Label2")->palette().color(QPalette::WindowText), QColor(0x00, 0x80, 0x00));
  EXPECT_EQ(Control<QLabel>("Label3")->text(), "替换字符");
  EXPECT_EQ(Control<QPushButton>("Btntoasc")->text(), "文字");
  EXPECT_EQ(Control<QPushButton>("BitBtn1")->text(), "图片");
  for (const char* name : {"Btntoasc", "BitBtn1", "SpeedButton1", "sbtorel", "sbtosave"}) {
    const auto* button = Control<QAbstractButton>(name);
    EXPECT_FALSE(button->icon().isNull()) << name;
    EXPECT_EQ(button->iconSize(), QSize(16, 16)) << name;
  }

  struct Flat {
    const char* name;
    const char* tip;
    Qt::CursorShape cursor;
  };
  for (const Flat& flat : {Flat{"SpeedButton1", "关于 (F1)", Qt::WhatsThisCursor},
                           Flat{"sbtorel", "替换 (Ctrl+R)", Qt::PointingHandCursor},
                           Flat{"sbtosave", "保存图像 (Ctrl+S)", Qt::PointingHandCursor}}) {
    auto* button = Control<QToolButton>(flat.name);
    EXPECT_EQ(button->toolTip(), flat.tip);
    EXPECT_EQ(button->cursor().shape(), flat.cursor);
    EXPECT_TRUE(button->autoRaise());
  }
  for (QWidget* w : window.findChildren<QWidget*>()) {
    if (w->window() != &window) continue;  // the file dialogs' own buttons
    if (!QStringList{"SpeedButton1", "sbtorel", "sbtosave", "Btntoasc", "BitBtn1"}.contains(w->objectName())) {
      EXPECT_TRUE(w->toolTip().isEmpty()) << w->objectName().toStdString();
    }
  }

  // The two push buttons say their keys too.
  EXPECT_EQ(Control<QPushButton>("Btntoasc")->toolTip(), "文字（在“汉字”框中按 Enter）");
  EXPECT_EQ(Control<QPushButton>("BitBtn1")->toolTip(), "图片 (Ctrl+O)");

  auto* memo = Control<QPlainTextEdit>("Memo1");
  EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_FALSE(memo->isReadOnly());
  EXPECT_EQ(Control<QListWidget>("lstselc")->selectionMode(), QAbstractItemView::SingleSelection);
  auto* panel = Control<QFrame>("Panel1");
  EXPECT_EQ(panel->frameShadow(), QFrame::Sunken);
  for (const char* name : {"cboqian", "cbobei"}) {
    auto* box = Control<QComboBox>(name);
    EXPECT_TRUE(box->isEditable());
    EXPECT_EQ(box->maxVisibleItems(), 30);
  }

  auto* ledtin = Control<LabeledEdit>("ledtin");
  EXPECT_EQ(ledtin->Label()->text(), "汉字");
  EXPECT_EQ(ledtin->Label()->geometry().right() + 1 + 3, ledtin->x()) << "label 3 pixels to the left";
  auto* ledtnewc = Control<LabeledEdit>("ledtnewc");
  EXPECT_EQ(ledtnewc->Label()->text(), "新字符");
  EXPECT_EQ(ledtnewc->Label()->geometry().bottom() + 1 + 3, ledtnewc->y()) << "label 3 pixels above";
  EXPECT_EQ(ledtnewc->Label()->x(), ledtnewc->x());
}

TEST_F(MainWindow, TabOrderRunsThroughTheControls) {
  QStringList order;
  QWidget* w = Control("Memo1");
  for (int i = 0; i < 40 && order.size() < 8; ++i, w = w->nextInFocusChain()) {
    if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->window() == &window &&
        w->objectName() != "qt_spinbox_lineedit" && !w->objectName().isEmpty() && !order.contains(w->objectName())) {
      order << w->objectName();
    }
  }
  EXPECT_EQ(order, (QStringList{"Memo1", "Btntoasc", "ledtin", "cboqian", "cbobei", "BitBtn1", "ledtnewc", "lstselc"}));
}

TEST_F(MainWindow, StartsWithItsDefaults) {
  auto* fore = Control<QComboBox>("cboqian");
  auto* back = Control<QComboBox>("cbobei");
  ASSERT_EQ(fore->count(), 95);
  ASSERT_EQ(back->count(), 95);
  EXPECT_EQ(fore->itemText(0), "字");
  EXPECT_EQ(fore->itemText(1), "!");
  EXPECT_EQ(fore->itemText(94), "~");
  EXPECT_EQ(back->itemText(0), " ");
  EXPECT_EQ(back->itemText(94), "~");
  EXPECT_EQ(fore->currentText(), "$");
  EXPECT_EQ(back->currentText(), " ");
  EXPECT_EQ(Control<QLineEdit>("ledtin")->text(), "编程");
  EXPECT_EQ(Control<QLineEdit>("ledtnewc")->text(), "");
  EXPECT_EQ(Control<QListWidget>("lstselc")->count(), 0);
  EXPECT_EQ(window.Art().Text(), "\r\n");
  EXPECT_EQ(window.Art().LineCount(), 1u);
}

TEST_F(MainWindow, EnlargingGrowsOnlyTheOutputArea) {
  window.show();
  window.resize(800, 600);
  EXPECT_EQ(Control("Memo1")->geometry(), QRect(0, 8, 740, 529));
  EXPECT_EQ(Control("GroupBox1")->geometry(), QRect(0, 552, 800, 48));
  EXPECT_EQ(Control("Panel1")->geometry(), QRect(747, 0, 53, 552));
  EXPECT_EQ(Control("Btntoasc")->pos(), QPoint(448, 16));
  EXPECT_EQ(Control("sbtosave")->pos(), QPoint(8, 360));
  window.resize(581, 439);
  EXPECT_EQ(Control("Memo1")->geometry(), QRect(0, 8, 521, 368));
}

TEST_F(MainWindow, BoxesCountCodePage936Bytes) {
  struct Case {
    const char* box;
    const char* typed;
    const char* kept;
  };
  const Case cases[] = {
      {"cboqian", "字", "字"}, {"cboqian", "abc", "ab"},         {"cbobei", "a字", "a"},   {"ledtnewc", "ab", "a"},
      {"ledtnewc", "字", ""},  {"ledtin", "编程abc", "编程abc"}, {"ledtin", "编😀", "编?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    QWidget* control = Control(c.box);
    auto* edit = qobject_cast<QComboBox*>(control) ? qobject_cast<QComboBox*>(control)->lineEdit()
                                                   : qobject_cast<QLineEdit*>(control);
    ASSERT_NE(edit, nullptr);
    edit->clear();
    Type(edit, QString::fromUtf8(c.typed));
    EXPECT_EQ(edit->text(), QString::fromUtf8(c.kept));
  }
}

TEST_F(MainWindow, WindowFontKeepsArtAligned) {
  const QFont font = window.font();
  EXPECT_EQ(font.pixelSize(), 12);
  EXPECT_TRUE(kWindowFontFamilies.contains(QFontInfo(font).family())) << QFontInfo(font).family().toStdString();
  EXPECT_TRUE(KeepsArtAligned(font));
  const QFont art = Control("Memo1")->font();
  EXPECT_EQ(QFontInfo(art).family(), QFontInfo(font).family());
  EXPECT_EQ(art.pixelSize(), 12);
  EXPECT_TRUE(KeepsArtAligned(art)) << "the output area draws without shaping";
}

TEST_F(MainWindow, ArtIsMatchedToTheSymbolsAsTheOutputAreaShowsThem) {
  // The ink of each symbol as the window measures it for matching, beside
  // the ink of a field of that symbol as the output area itself draws it.
  auto* memo = Control<QPlainTextEdit>("Memo1");
  const auto drawnBy = DrawnBy(memo->font());
  window.show();
  for (const char symbol : {'@', '#', 'M', 'o', '-', '.'}) {
    SCOPED_TRACE(symbol);
    const std::optional<DrawnCell> cell = drawnBy(static_cast<char32_t>(symbol));
    ASSERT_TRUE(cell.has_value());
    double measured = 0;
    for (const unsigned char v : cell->coverage) measured += v / 255.0;
    measured /= cell->cellWide * cell->cellHigh;

    QStringList lines;
    for (int i = 0; i < 20; ++i) lines << QString(40, QChar(symbol));
    memo->setPlainText(lines.join('\n'));
    QCoreApplication::processEvents();
    const auto corner = [&](int line, int column) {
      QTextCursor at(memo->document()->findBlockByNumber(line));
      at.setPosition(at.position() + column);
      return memo->cursorRect(at).topLeft();
    };
    // Lines 2 to 17 and columns 2 to 37: whole cells, away from the edges.
    const QRect field(corner(2, 2), corner(18, 38) - QPoint(1, 1));
    const QImage shown = memo->viewport()->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
    ASSERT_EQ(qGray(shown.pixel(shown.width() - 2, shown.height() - 2)), 255) << "black on white";
    double seen = 0;
    for (int y = field.top(); y <= field.bottom(); ++y) {
      for (int x = field.left(); x <= field.right(); ++x) seen += (255 - qGray(shown.pixel(x, y))) / 255.0;
    }
    seen /= static_cast<double>(field.width()) * field.height();
    EXPECT_NEAR(measured, seen, 0.1 * seen + 0.005) << "field " << field.width() << "x" << field.height();
  }
  // And each at its height in the line: the row of a cell with the most ink
  // is the row of the line where the output area draws the most, or the
  // cell's edge nearest it when the font draws past the line (an underscore
  // below it).
  for (const char symbol : {'-', '_', '^'}) {
    SCOPED_TRACE(symbol);
    const std::optional<DrawnCell> cell = drawnBy(static_cast<char32_t>(symbol));
    ASSERT_TRUE(cell.has_value());
    std::vector<double> measuredRows(static_cast<std::size_t>(cell->height));
    for (int y = 0; y < cell->height; ++y) {
      for (int x = 0; x < cell->width; ++x) {
        measuredRows[static_cast<std::size_t>(y)] += cell->coverage[static_cast<std::size_t>(y * cell->width + x)];
      }
    }
    // Lines of the symbol between empty ones, so that what one draws past
    // its line is not taken for the next line's.
    QStringList lines;
    for (int i = 0; i < 10; ++i) lines << QString(40, QChar(symbol)) << QString();
    memo->setPlainText(lines.join('\n'));
    QCoreApplication::processEvents();
    const auto lineTop = [&](int line) {
      QTextCursor at(memo->document()->findBlockByNumber(line));
      at.setPosition(at.position() + 2);
      return memo->cursorRect(at).topLeft();
    };
    const int lineHeight = (lineTop(4).y() - lineTop(2).y()) / 2;
    ASSERT_GT(lineHeight, 0);
    const QImage shown = memo->viewport()->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
    // Rows from half a line above each symbol line to half a line below it.
    const int reach = lineHeight / 2;
    std::vector<double> seenRows(static_cast<std::size_t>(lineHeight + 2 * reach));
    for (int line = 2; line < 16; line += 2) {
      for (int y = 0; y < static_cast<int>(seenRows.size()); ++y) {
        for (int x = lineTop(line).x(); x < lineTop(line).x() + 30; ++x) {
          seenRows[static_cast<std::size_t>(y)] += 255 - qGray(shown.pixel(x, lineTop(line).y() - reach + y));
        }
      }
    }
    const auto most = [](const std::vector<double>& rows) {
      return static_cast<int>(std::max_element(rows.begin(), rows.end()) - rows.begin());
    };
    EXPECT_GT(*std::max_element(measuredRows.begin(), measuredRows.end()), 0) << "measured with its ink";
    EXPECT_EQ(most(measuredRows), std::clamp(most(seenRows) - reach, 0, cell->height - 1));
  }
}

TEST_F(MainWindow, FailureReportShowsTheMessageAndTheWindowCarriesOn) {
  window.RunCommand([this] {
    window.Art().Clear();
    window.Art().WriteLine(0, "kept");
    throw Failure(FailureKind::StreamReadError);
  });
  ASSERT_EQ(dialogs.messages.size(), 1u);
  const auto& shown = dialogs.messages[0];
  EXPECT_EQ(shown.text, "Stream read error.");
  EXPECT_EQ(shown.caption, "Morvexa");
  EXPECT_EQ(shown.icon, MessageIcon::Stop);
  EXPECT_EQ(shown.owner, nullptr) << "owned by the application";
  EXPECT_EQ(Control<QPlainTextEdit>("Memo1")->toPlainText(), "kept\n") << "what the command changed stays";

  window.RunCommand([] { throw std::runtime_error("Already ended."); });
  EXPECT_EQ(dialogs.messages.back().text, "Already ended.");
  window.RunCommand([] { throw Failure(FailureKind::CannotOpenFile, "/tmp/图.bmp"); });
  EXPECT_EQ(dialogs.messages.back().text, "Cannot open file /tmp/图.bmp.");

  QTest::mouseClick(Control<QPushButton>("Btntoasc"), Qt::LeftButton);
  EXPECT_EQ(window.Art().LineCount(), 16u) << "the window still works";
}

TEST_F(MainWindow, TextButtonDrawsAndRefusesWithMessages) {
  ShowActive();
  QTest::mouseClick(Control<QPushButton>("Btntoasc"), Qt::LeftButton);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(window.Art().LineCount(), 16u);
  EXPECT_EQ(window.Art().GetLine(0).size(), 32u);
  auto* list = Control<QListWidget>("lstselc");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), "$");
  EXPECT_EQ(list->item(1)->text(), "␣") << "the space, made visible";
  EXPECT_EQ(list->item(1)->data(Qt::UserRole).toByteArray(), " ") << "and still the one-byte space";
  const ByteString art = window.Art().Text();

  struct Case {
    const char* input;
    const char* text;
    const char* caption;
    MessageIcon icon;
  };
  for (const Case& c : {Case{"", "输入不能为空", "错误", MessageIcon::Warning},
                        Case{"abc", "请输入汉字", "汉字", MessageIcon::Error}}) {
    SCOPED_TRACE(c.text);
    Control<QLineEdit>("ledtin")->setText(QString::fromUtf8(c.input));
    Control<QPushButton>("Btntoasc")->setFocus();
    QTest::mouseClick(Control<QPushButton>("Btntoasc"), Qt::LeftButton);
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().text, QString::fromUtf8(c.text));
    EXPECT_EQ(dialogs.messages.back().caption, QString::fromUtf8(c.caption));
    EXPECT_EQ(dialogs.messages.back().icon, c.icon);
    EXPECT_EQ(dialogs.messages.back().owner, &window);
    EXPECT_TRUE(Control("ledtin")->hasFocus());
    EXPECT_EQ(window.Art().Text(), art);
    EXPECT_EQ(list->count(), 2);
  }
}

TEST_F(MainWindow, ReplaceButtonSwapsTheSelectedSymbol) {
  ShowActive();
  QTest::mouseClick(Control<QPushButton>("Btntoasc"), Qt::LeftButton);
  auto* list = Control<QListWidget>("lstselc");
  QTest::mouseClick(Control<QToolButton>("sbtorel"), Qt::LeftButton);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "请先选择需替换的字符");
  EXPECT_EQ(dialogs.messages[0].caption, "提示");
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Information);

  list->setCurrentRow(1);
  QTest::mouseClick(Control<QToolButton>("sbtorel"), Qt::LeftButton);
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].text, "字符长度必须相同");
  EXPECT_EQ(dialogs.messages[1].caption, "长度");
  EXPECT_EQ(dialogs.messages[1].icon, MessageIcon::Warning);
  EXPECT_TRUE(Control("ledtnewc")->hasFocus());

  const ByteString before = window.Art().Text();
  Control<QLineEdit>("ledtnewc")->setText(".");
  QTest::mouseClick(Control<QToolButton>("sbtorel"), Qt::LeftButton);
  EXPECT_EQ(dialogs.messages.size(), 2u);
  ByteString expected = before;
  std::replace(expected.begin(), expected.end(), ' ', '.');
  EXPECT_EQ(window.Art().Text(), expected);
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(1)->text(), ".");
  EXPECT_TRUE(list->selectedItems().isEmpty());
}

}  // namespace
}  // namespace morvexa
