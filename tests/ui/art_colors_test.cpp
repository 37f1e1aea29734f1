// The window keeps the cells' colors, saves the art as UTF-8 or as a page
// in its colors, and copies it to the clipboard both ways.
#include <QClipboard>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <regex>
#include <set>

#include "../support/bmp_builder.h"
#include "memo_art_area.h"
#include "morvexa/art_writer.h"
#include "window_fixture.h"

namespace morvexa {
namespace {

std::set<std::string> PageColors(const std::string& page) {
  std::set<std::string> colors;
  const std::regex color("color:#([0-9a-f]{6})");
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

}  // namespace
}  // namespace morvexa
