// The window keeps the cells' colors, saves the art as UTF-8 or as a page
// in its colors, and copies it to the clipboard both ways.
#include <QCheckBox>
#include <QClipboard>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <regex>
#include <set>

#include <QAction>
#include <QLabel>
#include <QTextBlock>
#include <QTextLayout>

#include "../support/bmp_builder.h"
#include "memo_art_area.h"
#include "morvexa/art_writer.h"
#include "morvexa/cp936.h"
#include "picture_preview.h"
#include "picture_settings.h"
#include "program_start.h"
#include "window_fixture.h"

namespace morvexa {
namespace {

std::set<std::string> PageColors(const std::string& page, const char* pattern = "color:#([0-9a-f]{6})") {
  std::set<std::string> colors;
  const std::regex color(pattern);
  for (auto it = std::sregex_iterator(page.begin(), page.end(), color); it != std::sregex_iterator(); ++it) {
    colors.insert((*it)[1]);
  }
  return colors;
}

class ArtColorsTest : public WindowTest {
 protected:
  // A picture of two colors, 8 x 2: three orange pixels, then blue ones.
  void ConvertTwoColors() {
    std::vector<unsigned> indices;
    for (unsigned i = 0; i < 16; ++i) indices.push_back(i % 8 < 3 ? 0 : 1);
    WriteFile(dir / "two.bmp", testing_support::BmpBuilder(8, 2, indices, {0xFF8000, 0x0040C0}).Build({40, 24}));
    dialogs.answers = {Path("two.bmp")};
    Click("BitBtn1");
    ASSERT_EQ(window.Art().Text(), "   !!!!!\r\n   !!!!!\r\n");
  }

  void SaveAs(const char* filter, const char* name) {
    window.SaveDialog().selectNameFilter(QString::fromUtf8(filter));
    dialogs.answers = {Path(name)};
    Click("sbtosave");
    ASSERT_EQ(dialogs.messages.back().text, "已保存");
  }
};

TEST_F(ArtColorsTest, SavedPagesKeepTheColorsOfTheCells) {
  ConvertTwoColors();
  SaveAs("HTML 网页 (*.html)", "art.html");
  const std::string page = ReadFile(dir / "art.html");
  EXPECT_EQ(PageColors(page), (std::set<std::string>{"ff8000", "0040c0"}));
  EXPECT_NE(page.find("<title>art</title>"), std::string::npos);
  const std::string text = "/usr/bin/python3 " MORVEXA_HTML_TEXT " '" + (dir / "art.html").string() + "' >'" +
                           (dir / "text.txt").string() + "'";
  ASSERT_EQ(std::system(text.c_str()), 0) << "valid HTML5";
  EXPECT_EQ(ReadFile(dir / "text.txt"), "   !!!!!\n   !!!!!\n");

  SaveAs("UTF-8 文本 (*.txt)", "art.txt");
  EXPECT_EQ(ReadFile(dir / "art.txt"), "   !!!!!\n   !!!!!\n");
  SaveAs("*.txt (*.txt)", "gbk.txt");
  EXPECT_EQ(ReadFile(dir / "gbk.txt"), "   !!!!!\r\n   !!!!!\r\n");
}

TEST_F(ArtColorsTest, ReplacingKeepsColorsTypingOverLosesThem) {
  ConvertTwoColors();
  auto* list = Control<QListWidget>("lstselc");
  list->setCurrentRow(0);  // the space
  Type(Control("ledtnewc"), "@");
  Click("sbtorel");
  ASSERT_EQ(window.Art().Text(), "@@@!!!!!\r\n@@@!!!!!\r\n");
  ArtFormSettings html;
  html.form = ArtForm::Html;
  auto* art = dynamic_cast<MemoArtArea*>(&window.Art());
  ASSERT_NE(art, nullptr);
  std::string page = art->Export(html);
  EXPECT_NE(page.find("<span style=\"color:#ff8000\">@@@</span><span style=\"color:#0040c0\">!!!!!</span>"),
            std::string::npos);

  // The user types over the first line's first cell: it has no color now.
  auto* memo = Control<QPlainTextEdit>("Memo1");
  QTextCursor cursor(memo->document());
  cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor);
  cursor.insertText("x");
  page = art->Export(html);
  EXPECT_NE(page.find("\nx<span style=\"color:#ff8000\">@@</span>"), std::string::npos) << page;
}

TEST_F(ArtColorsTest, CopyingGivesTextAndAPageInColor) {
  ConvertTwoColors();
  auto* memo = Control<QPlainTextEdit>("Memo1");
  QTextCursor cursor(memo->document());
  cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 2);
  cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, 3);  // " !!" of the first line
  memo->setTextCursor(cursor);
  memo->copy();
  const QMimeData* copied = QApplication::clipboard()->mimeData();
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->text(), " !!");
  ASSERT_TRUE(copied->hasHtml());
  const std::string page = copied->html().toStdString();
  EXPECT_NE(page.find("<span style=\"color:#ff8000\"> </span><span style=\"color:#0040c0\">!!</span>"),
            std::string::npos)
      << page;
}

// The colors the output area shows for line's characters, as the formats
// laid over them once the box has settled: "ink/paper" in hex, "-" where
// none.
std::vector<std::string> ShownColors(QPlainTextEdit* memo, int line) {
  QCoreApplication::processEvents();
  const QTextBlock block = memo->document()->findBlockByNumber(line);
  std::vector<std::string> shown(static_cast<std::size_t>(block.length() - 1), "-");
  for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
    const auto hex = [](const QBrush& brush) {
      return brush.style() == Qt::NoBrush ? std::string("none") : brush.color().name().toStdString().substr(1);
    };
    for (int i = range.start; i < range.start + range.length; ++i) {
      shown[static_cast<std::size_t>(i)] = hex(range.format.foreground()) + "/" + hex(range.format.background());
    }
  }
  return shown;
}

TEST_F(ArtColorsTest, TheOutputAreaShowsTheCellsColorsWhenAskedAndRemembersIt) {
  ConvertTwoColors();
  auto* memo = Control<QPlainTextEdit>("Memo1");
  QAction& toggle = window.ColorToggle();
  toggle.setChecked(false);
  EXPECT_EQ(ShownColors(memo, 0), std::vector<std::string>(8, "-")) << "plain by default";

  const int steps = memo->document()->availableUndoSteps();
  const bool modified = memo->document()->isModified();
  toggle.setChecked(true);
  std::vector<std::string> expected(3, "ff8000/none");
  expected.resize(8, "0040c0/none");
  EXPECT_EQ(ShownColors(memo, 1), expected);
  EXPECT_EQ(memo->document()->availableUndoSteps(), steps) << "coloring is no edit";
  EXPECT_EQ(memo->document()->isModified(), modified);
  {
    RecordingDialogs otherDialogs;
    Tfrmmain later(otherDialogs);  // a later run of the program
    EXPECT_TRUE(later.ColorToggle().isChecked());
  }

  // Typing over a cell takes its color away, there alone.
  QTextCursor cursor(memo->document());
  cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor);
  cursor.insertText("x");
  EXPECT_EQ(ShownColors(memo, 0)[0], "-");
  EXPECT_EQ(ShownColors(memo, 0)[1], "ff8000/none");

  // Art of any size is shown in its colors: what is on the screen, and
  // what comes onto it as the box scrolls.
  const unsigned side = 600;  // 360,000 symbols
  std::vector<unsigned> indices(side * side);
  for (unsigned i = 0; i < indices.size(); ++i) indices[i] = i % 3 == 0;
  WriteFile(dir / "large.bmp", testing_support::BmpBuilder(side, side, indices, {0x102030, 0xF0E0D0}).Build({40, 8}));
  dialogs.answers = {Path("large.bmp")};
  Click("BitBtn1");
  ASSERT_EQ(window.Art().LineCount(), side);
  const std::vector<std::string> top = ShownColors(memo, 0);
  EXPECT_EQ(top[0], "f0e0d0/none");
  EXPECT_EQ(top[1], "102030/none");
  EXPECT_EQ(ShownColors(memo, side - 1)[side - 1], "-") << "off the screen: not yet";
  QTextCursor end(memo->document()->findBlockByNumber(static_cast<int>(side - 1)));
  end.movePosition(QTextCursor::EndOfBlock);
  memo->setTextCursor(end);
  memo->ensureCursorVisible();
  const std::vector<std::string> bottom = ShownColors(memo, side - 1);
  EXPECT_EQ(bottom[side - 1], "102030/none");  // pixel 359,999: 359,999 % 3 != 0
  EXPECT_EQ(bottom[0], "-") << "scrolled off to the left";
  EXPECT_EQ(ShownColors(memo, 0)[0], "-") << "scrolled off the top: plain again";
  EXPECT_EQ(toggle.text(), "彩色显示");
  memo->moveCursor(QTextCursor::Start);

  ConvertTwoColors();
  EXPECT_EQ(ShownColors(memo, 1), expected);
  toggle.setChecked(false);
  EXPECT_EQ(ShownColors(memo, 1), std::vector<std::string>(8, "-"));
}

TEST_F(ArtColorsTest, ShapesWithFillKeepBothColorsOfEachCellInPagesAndCopies) {
  // 16 x 16 pixels, two cells of 8 x 16: the left one a red "/" on yellow,
  // the right one plain blue.
  std::vector<unsigned> indices;
  for (unsigned y = 0; y < 16; ++y) {
    for (unsigned x = 0; x < 16; ++x) indices.push_back(x >= 8 ? 2 : (x == (15 - y) / 2 ? 0 : 1));
  }
  WriteFile(dir / "cells.bmp",
            testing_support::BmpBuilder(16, 16, indices, {0xC00000, 0xF0F000, 0x0000C0}).Build({40, 8}));
  auto* settings = window.OpenDialog().findChild<PictureSettings*>("pictureSettings");
  PictureOptions shapes;
  shapes.width = 2;
  shapes.way = Shapes{true};
  settings->SetOptions(shapes);
  const PictureOptions options = settings->Options();
  const auto* chosen = std::get_if<Shapes>(&options.way);
  EXPECT_TRUE(chosen && chosen->fill);
  dialogs.answers = {Path("cells.bmp")};
  Click("BitBtn1");
  settings->SetOptions(PictureOptions{});
  ASSERT_EQ(window.Art().LineCount(), 1u);
  EXPECT_EQ(window.Art().GetLine(0)[1], ' ') << "a cell of one color is a space on it";

  SaveAs("HTML 网页 (*.html)", "cells.html");
  const std::string page = ReadFile(dir / "cells.html");
  EXPECT_EQ(PageColors(page, "background:#([0-9a-f]{6})").count("0000c0"), 1u) << page;
  // The stroke's cell: an ink redder than its yellow paper, near the
  // picture's (the glyph of the window's font that draws the stroke best
  // is not the picture's stroke exactly, and its ink is the least-squares
  // color of what it covers).
  std::smatch cell;
  ASSERT_TRUE(std::regex_search(page, cell, std::regex("color:#(..)(..)(..);background:#(..)(..)(..)\">[^ ]<")))
      << page;
  auto channel = [&cell](int i) { return std::stoi(cell[i].str(), nullptr, 16); };
  EXPECT_TRUE(channel(4) > 0xD0 && channel(5) > 0xD0 && channel(6) < 0x40) << cell[0];
  EXPECT_LT(channel(2), channel(5) - 0x20) << cell[0];
  EXPECT_GE(channel(1), channel(2)) << cell[0];

  auto* memo = Control<QPlainTextEdit>("Memo1");
  memo->selectAll();
  memo->copy();
  const QMimeData* copied = QApplication::clipboard()->mimeData();
  ASSERT_TRUE(copied && copied->hasHtml());
  EXPECT_NE(copied->html().toStdString().find("background:#0000c0"), std::string::npos);
}

TEST_F(ArtColorsTest, ThePreviewShowsShapesAsTheyWillBeDrawn) {
  auto* preview = window.OpenDialog().findChild<PicturePreview*>("picturePreview");
  // 64 x 32 pixels, unsized: cells of 8 x 16 pixels, 8 x 2 of them.
  std::vector<unsigned> indices(64 * 32);
  for (unsigned i = 0; i < indices.size(); ++i) indices[i] = i % 64 < 32;
  WriteFile(dir / "halves.bmp", testing_support::BmpBuilder(64, 32, indices, {0xFFFFFF, 0}).Build({40, 8}));
  PictureOptions shapes;
  shapes.way = Shapes{};
  preview->Settings()->SetOptions(shapes);
  preview->ShowFile(Path("halves.bmp"));
  ASSERT_TRUE(preview->Picture().has_value());
  EXPECT_EQ(preview->findChild<QLabel*>("previewCaption")->text(), "64 x 32 → 8 x 2");
  preview->Settings()->SetOptions(PictureOptions{});
}

TEST_F(ArtColorsTest, BlocksAndFillShowTheirColorsAtOnce) {
  auto* settings = window.OpenDialog().findChild<PictureSettings*>("pictureSettings");
  auto* blocks = settings->findChild<QCheckBox*>("pictureBlocks");
  auto* fill = settings->findChild<QCheckBox*>("pictureFill");
  auto* view = settings->findChild<QCheckBox*>("pictureColoredView");
  ASSERT_TRUE(blocks && fill && view);
  QAction& toggle = window.ColorToggle();

  // The panel's box and the output area's menu are one setting.
  toggle.setChecked(false);
  EXPECT_FALSE(view->isChecked());
  view->setChecked(true);
  EXPECT_TRUE(toggle.isChecked());
  toggle.setChecked(false);
  EXPECT_FALSE(view->isChecked());

  // 方块: the block elements code page 936 holds, in two colors a cell,
  // shown in them at once.
  settings->SetOptions(PictureOptions{});
  blocks->setChecked(true);
  EXPECT_TRUE(toggle.isChecked());
  const PictureOptions options = settings->Options();
  ASSERT_TRUE(std::holds_alternative<Blocks>(options.way));
  EXPECT_EQ(std::get<Blocks>(options.way).kind, BlockKind::CodePage936);
  std::vector<unsigned> indices(16 * 16);
  for (unsigned i = 0; i < indices.size(); ++i) indices[i] = i / 16 < 8 ? 0 : 1;
  WriteFile(dir / "halves.bmp", testing_support::BmpBuilder(16, 16, indices, {0xC00000, 0x0000C0}).Build({40, 24}));
  dialogs.answers = {Path("halves.bmp")};
  Click("BitBtn1");
  const std::u32string cells = cp936::Decode(window.Art().GetLine(0));
  ASSERT_FALSE(cells.empty());
  EXPECT_TRUE(cells[0] == U'▄' || cells[0] == U'█' || cells[0] == U' ') << static_cast<unsigned>(cells[0]);
  EXPECT_NE(ShownColors(Control<QPlainTextEdit>("Memo1"), 0)[0], "-") << "colored at once";
  // And drawn so: the box's pixels hold both colors of the picture.
  window.show();  // a box never shown lays out only its first lines
  QCoreApplication::processEvents();
  const QImage shown = Control<QPlainTextEdit>("Memo1")->viewport()->grab().toImage();
  std::set<QRgb> seen;
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) seen.insert(shown.pixel(x, y) & 0xFFFFFF);
  }
  EXPECT_TRUE(seen.count(0xC00000) && seen.count(0x0000C0)) << seen.size() << " colors";
  {
    PictureSettings later;  // a later run of the program
    EXPECT_TRUE(std::holds_alternative<Blocks>(later.Options().way));
    EXPECT_TRUE(later.ColoredView());
  }

  // 填充背景 too.
  settings->SetOptions(PictureOptions{});
  toggle.setChecked(false);
  fill->setChecked(true);
  EXPECT_TRUE(toggle.isChecked());
  settings->SetOptions(PictureOptions{});
  toggle.setChecked(false);
}

TEST_F(ArtColorsTest, AWayGivenOnTheCommandLineShowsItsColorsAsTheDialogDoes) {
  auto* settings = window.OpenDialog().findChild<PictureSettings*>("pictureSettings");
  auto* memo = Control<QPlainTextEdit>("Memo1");
  QAction& toggle = window.ColorToggle();
  std::vector<unsigned> indices(16 * 16);
  for (unsigned i = 0; i < indices.size(); ++i) indices[i] = i / 16 < 8 ? 0 : 1;
  WriteFile(dir / "halves.bmp", testing_support::BmpBuilder(16, 16, indices, {0xC00000, 0x0000C0}).Build({40, 24}));
  const std::pair<QStringList, bool> cases[] = {
      {{"--blocks"}, true},
      {{"--width", "4", "--shapes", "--fill"}, true},
      {{"--fill"}, true},
      {{"--colors=4", "--fill"}, true},
      {{"--ramp", "--width=8"}, false},
      {{"--shapes"}, false},
      {{"--colors", "2"}, false},
  };
  for (const auto& [options, colored] : cases) {
    SCOPED_TRACE(options.join(' ').toStdString());
    const WindowArguments given =
        ParseWindowArguments(QStringList{"morvexa"} + options + QStringList{Path("halves.bmp")});
    ASSERT_TRUE(given.options) << given.error.toStdString();
    // The dialog's boxes ticked for the same way turn the view on or not.
    settings->SetOptions(PictureOptions{});
    toggle.setChecked(false);
    settings->SetOptions(*given.options);
    EXPECT_EQ(toggle.isChecked(), colored) << "the dialog's rule";
    settings->SetOptions(PictureOptions{});

    // A fresh start, then the picture as the command line gives it.
    toggle.setChecked(false);
    window.ConvertPictureCommand(given.picture, given.options, given.frame);
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages.back().text.toStdString();
    EXPECT_EQ(toggle.isChecked(), colored);
    EXPECT_EQ(ShownColors(memo, 0)[0] != "-", colored) << ShownColors(memo, 0)[0];
    {
      PictureSettings later;  // a later run of the program
      EXPECT_EQ(later.ColoredView(), colored) << "remembered as the menu remembers it";
      EXPECT_TRUE(std::holds_alternative<SymbolPerColor>(later.Options().way)) << "the way is not remembered";
    }
  }
  // Converted with the dialog's own options, the view is as it was left.
  toggle.setChecked(false);
  window.ConvertPictureCommand(Path("halves.bmp"));
  EXPECT_FALSE(toggle.isChecked());

  // A picture that is not converted changes nothing.
  const ByteString before = window.Art().Text();
  const WindowArguments missing = ParseWindowArguments({"morvexa", "--blocks", Path("missing.bmp")});
  ASSERT_TRUE(missing.options);
  window.ConvertPictureCommand(missing.picture, missing.options);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_FALSE(toggle.isChecked());
  EXPECT_EQ(window.Art().Text(), before);
}

}  // namespace
}  // namespace morvexa
