#include <sys/resource.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <csignal>

#include "../support/bmp_builder.h"
#include "../support/unwritable.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"
#include "morvexa/text_to_asc.h"
#include "window_fixture.h"
#include "window_limits.h"

namespace morvexa {
namespace {

namespace fs = std::filesystem;
using Commands = WindowTest;

ByteString DefaultArt() {
  MemoryArtArea area;
  MemoryCharList list;
  (void)TextToAsc("\xB1\xE0\xB3\xCC", "$", " ", list, area);
  return area.Text();
}

QStringList ListTexts(QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

TEST_F(Commands, DrawReplaceAndSaveEndInTheExpectedFile) {
  ShowActive();
  Click("Btntoasc");
  auto* list = Control<QListWidget>("lstselc");
  ASSERT_EQ(ListTexts(list), (QStringList{"$", "␣"}));
  list->setCurrentRow(1);
  Type(Control("ledtnewc"), ".");
  Click("sbtorel");
  EXPECT_EQ(ListTexts(list), (QStringList{"$", "."}));

  dialogs.answers = {Path("art.txt")};
  Click("sbtosave");
  ByteString expected = DefaultArt();
  std::replace(expected.begin(), expected.end(), ' ', '.');
  EXPECT_EQ(ReadFile(dir / "art.txt"), expected);
  EXPECT_EQ(expected.size(), 544u);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "已保存");
  EXPECT_EQ(dialogs.messages[0].caption, "完成");
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Information);
  EXPECT_EQ(dialogs.messages[0].owner, &window);
}

TEST_F(Commands, PicturesBecomeArtAndBadOnesChangeNothing) {
  const testing_support::BmpBuilder picture(3, 2, {0, 1, 1, 2, 0, 0}, {0xFFFFFF, 0x000000, 0xFF0000});
  const auto bytes = picture.Build({40, 4, 2});
  WriteFile(dir / "p.bmp", bytes);
  dialogs.answers = {Path("p.bmp")};
  Click("BitBtn1");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(window.Art().Text(), " !!\r\n\"  \r\n");
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy cursor is gone once the art is in place";
  EXPECT_EQ(ListTexts(Control<QListWidget>("lstselc")), (QStringList{"␣", "!", "\""}));

  Click("Btntoasc");
  const ByteString art = window.Art().Text();
  WriteFile(dir / "text.bmp", "a plain text file whose name ends in .bmp");
  struct Case {
    const char* file;
    QString message;
  };
  for (const Case& c : {Case{"text.bmp", "Bitmap image is not valid."},
                        Case{"gone.bmp", "Cannot open file " + Path("gone.bmp") + "."}}) {
    SCOPED_TRACE(c.file);
    dialogs.answers = {Path(c.file)};
    Click("BitBtn1");
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().text, c.message);
    EXPECT_EQ(dialogs.messages.back().caption, "Morvexa");
    EXPECT_EQ(dialogs.messages.back().icon, MessageIcon::Stop);
    EXPECT_EQ(window.Art().Text(), art);
    EXPECT_EQ(ListTexts(Control<QListWidget>("lstselc")), (QStringList{"$", "␣"}));
  }

  WriteFile(dir / "empty.bmp", "");
  dialogs.answers = {Path("empty.bmp")};
  const std::size_t shown = dialogs.messages.size();
  Click("BitBtn1");
  EXPECT_EQ(dialogs.messages.size(), shown);
  EXPECT_EQ(window.Art().Text(), "");
  EXPECT_EQ(Control<QListWidget>("lstselc")->count(), 0);
}

TEST_F(Commands, PicturesTooLargeForTheWindowAreRefusedBeforeAnything) {
  Click("Btntoasc");
  const ByteString art = window.Art().Text();
  // 8193 x 8193 pixels of 1 bit: 8.4 MB, left sparse on disk.
  std::string header(62, '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) header[at + k] = static_cast<char>(v >> (8 * k));
  };
  header[0] = 'B', header[1] = 'M';
  put32(10, 62), put32(14, 40), put32(18, 8193), put32(22, 8193);
  header[26] = 1, header[28] = 1;
  WriteFile(dir / "large.bmp", header);
  fs::resize_file(dir / "large.bmp", 62 + std::uintmax_t{(8193 + 31) / 32 * 4} * 8193);
  dialogs.answers = {Path("large.bmp")};
  Click("BitBtn1");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text.toStdString(), std::string(kTooLarge));
  EXPECT_EQ(dialogs.messages[0].caption, "图片");
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
  EXPECT_EQ(dialogs.messages[0].owner, &window);
  EXPECT_EQ(window.Art().Text(), art);
  EXPECT_EQ(ListTexts(Control<QListWidget>("lstselc")), (QStringList{"$", "␣"}));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "no busy cursor left behind";
}

TEST_F(Commands, CancelledDialogsChangeNothing) {
  Click("Btntoasc");
  const ByteString art = window.Art().Text();
  dialogs.answers = {QString(), QString()};
  Click("BitBtn1");
  Click("sbtosave");
  EXPECT_EQ(dialogs.executed.size(), 2u);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(window.Art().Text(), art);
  EXPECT_EQ(Control<QListWidget>("lstselc")->count(), 2);
  EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(Commands, SavingBeforeAnyConversionWritesOneLineBreak) {
  dialogs.answers = {Path("start.txt")};
  Click("sbtosave");
  EXPECT_EQ(ReadFile(dir / "start.txt"), "\r\n");
  EXPECT_EQ(dialogs.messages.back().text, "已保存");
}

TEST_F(Commands, SaveFailuresNameThePathAndKeepTheOldFile) {
  Click("Btntoasc");
  WriteFile(dir / "plain", "x");
  fs::create_directories(dir / "folder.txt");
  mkfifo((dir / "fifo.txt").c_str(), 0644);
  struct Case {
    QString target;
    QString message;
  };
  for (const Case& c : {Case{Path("plain") + "/art.txt", "Cannot create file " + Path("plain") + "/art.txt."},
                        Case{Path("folder.txt"), "Cannot create file " + Path("folder.txt") + "."},
                        Case{Path("fifo.txt"), "Cannot create file " + Path("fifo.txt") + "."}}) {
    SCOPED_TRACE(c.target.toStdString());
    dialogs.answers = {c.target};
    Click("sbtosave");
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().text, c.message);
    EXPECT_EQ(dialogs.messages.back().caption, "Morvexa");
  }
  EXPECT_EQ(dialogs.messages.size(), 3u) << "no 已保存 after a failure";
  EXPECT_TRUE(fs::is_fifo(dir / "fifo.txt")) << "a FIFO stays as it was";

  // A write that stops short: the file-size limit lets 100 bytes through.
  WriteFile(dir / "old.txt", "the old art");
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100;
  setrlimit(RLIMIT_FSIZE, &small);
  dialogs.answers = {Path("old.txt")};
  Click("sbtosave");
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(dialogs.messages.back().text, "Stream write error.");
  EXPECT_EQ(ReadFile(dir / "old.txt"), "the old art");
  int files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir)) ++files;
  EXPECT_EQ(files, 4) << "no temporary file left behind";
}

TEST_F(Commands, FileThatMayNotBeWrittenIsNotReplaced) {
  WriteFile(dir / "locked.txt", "kept");
  {
    const testing_support::Unwritable locked(dir / "locked.txt");
    if (!locked.Active()) GTEST_SKIP() << "this process cannot protect a file from itself";
    dialogs.answers = {Path("locked.txt")};
    Click("sbtosave");
  }
  EXPECT_EQ(dialogs.messages.back().text, "Cannot create file " + Path("locked.txt") + ".");
  EXPECT_EQ(ReadFile(dir / "locked.txt"), "kept");
}

TEST_F(Commands, DialogsHaveTheirFiltersAndRememberTheLastFile) {
  QFileDialog& open = window.OpenDialog();
  EXPECT_EQ(open.objectName(), "opendlgpic");
  EXPECT_EQ(open.nameFilters(), (QStringList{"All.bmp (*.bmp)", "图片 (*.bmp *.png *.jpg *.jpeg *.gif *.webp)"}));
  EXPECT_TRUE(open.testOption(QFileDialog::HideNameFilterDetails));
  EXPECT_TRUE(open.testOption(QFileDialog::DontUseNativeDialog));
  EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFile);
  EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(open.defaultSuffix(), "");
  EXPECT_EQ(open.parent(), &window);

  QFileDialog& save = window.SaveDialog();
  EXPECT_EQ(save.objectName(), "savedlgasc");
  EXPECT_EQ(save.nameFilters(), (QStringList{"*.txt (*.txt)", "UTF-8 文本 (*.txt)", "HTML 网页 (*.html)"}));
  EXPECT_EQ(save.defaultSuffix(), "txt");
  EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
  EXPECT_FALSE(save.testOption(QFileDialog::DontConfirmOverwrite));

  dialogs.answers = {Path("first.txt"), QString()};
  Click("sbtosave");
  Click("sbtosave");
  ASSERT_EQ(dialogs.offered.size(), 2u);
  EXPECT_EQ(fs::path(dialogs.offered[1].toStdString()).filename(), "first.txt");
}

}  // namespace
}  // namespace morvexa
