// Pictures drawn in Chinese characters in the window: the open dialog's
// 汉字 settings, and the art they make shown, listed, replaced and saved,
// its code page 936 bytes read back with glibc's iconv.
#include <iconv.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSpinBox>
#include <map>
#include <set>

#include "../support/bmp_builder.h"
#include "picture_preview.h"
#include "picture_settings.h"
#include "window_fixture.h"

namespace morvexa {
namespace {

// Bytes from one encoding to another by iconv; fails the test when they
// do not convert whole.
std::string Converted(const std::string& bytes, const char* from, const char* to) {
  const iconv_t cd = iconv_open(to, from);
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << from << " to " << to;
  std::string in(bytes), out(bytes.size() * 4 + 8, '\0');
  char* inAt = in.data();
  char* outAt = out.data();
  std::size_t left = in.size(), room = out.size();
  EXPECT_NE(iconv(cd, &inAt, &left, &outAt, &room), static_cast<std::size_t>(-1)) << from << " to " << to;
  iconv_close(cd);
  out.resize(out.size() - room);
  return out;
}

ByteString Gbk(const char* utf8) { return Converted(utf8, "UTF-8", "CP936"); }

// The characters of code page 936 bytes, as iconv reads them.
std::u32string Characters(const ByteString& gbk) {
  const std::string utf32 = Converted(gbk, "CP936", "UTF-32LE");
  std::u32string characters(utf32.size() / 4, U'\0');
  for (std::size_t i = 0; i < characters.size(); ++i) {
    for (int b = 3; b >= 0; --b) characters[i] = characters[i] << 8 | static_cast<unsigned char>(utf32[4 * i + b]);
  }
  return characters;
}

// Whether c is the full-width space or one of GB2312's 3,755 characters of
// the first level (rows 16 to 55: B0A1 to D7F9), by iconv's GB2312.
bool SpaceOrLevel1(char32_t c) {
  if (c == U'\u3000') return true;
  const std::string utf32 = {static_cast<char>(c), static_cast<char>(c >> 8), static_cast<char>(c >> 16), '\0'};
  const std::string gb = Converted(utf32, "UTF-32LE", "GB2312");
  if (gb.size() != 2) return false;
  const unsigned code = static_cast<unsigned char>(gb[0]) << 8 | static_cast<unsigned char>(gb[1]);
  return code >= 0xB0A1 && code <= 0xD7F9 && (code & 0xFF) >= 0xA1 && (code & 0xFF) <= 0xFE;
}

// The columns a line of art takes: an ASCII symbol one, a character two.
std::size_t Columns(const ByteString& line) {
  std::size_t columns = 0;
  for (const char32_t c : Characters(line)) columns += c < 0x80 ? 1 : 2;
  return columns;
}

class HanziWindow : public WindowTest {
 protected:
  HanziWindow() : settings(*window.OpenDialog().findChild<PictureSettings*>("pictureSettings")) {
    settings.SetOptions(PictureOptions{});
  }
  ~HanziWindow() override { settings.SetOptions(PictureOptions{}); }

  template <typename T>
  T* Setting(const char* name) {
    T* control = settings.findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  // 汉字 ticked, with a set of characters (its index in the list) or a
  // text, and the fill.
  void ChooseHanzi(int set, const char* own = "", const char* text = "", bool fill = false) {
    Setting<QCheckBox>("pictureHanzi")->setChecked(true);
    Setting<QComboBox>("pictureHanziSet")->setCurrentIndex(set);
    Setting<QLineEdit>("pictureHanziCharacters")->setText(QString::fromUtf8(own));
    Setting<QLineEdit>("pictureHanziText")->setText(QString::fromUtf8(text));
    Setting<QCheckBox>("pictureFill")->setChecked(fill);
  }

  Hanzi ChosenWay() {
    const PictureOptions options = settings.Options();
    EXPECT_TRUE(std::holds_alternative<Hanzi>(options.way));
    return std::holds_alternative<Hanzi>(options.way) ? std::get<Hanzi>(options.way) : Hanzi{};
  }

  // A 64 x 64 picture of a dark disc on light paper, converted as the
  // dialog says at 32 columns: 16 characters a line.
  void ConvertDisc() {
    std::vector<unsigned> indices;
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) indices.push_back((x - 32) * (x - 32) + (y - 32) * (y - 32) < 500 ? 1 : 0);
    }
    WriteFile(dir / "disc.bmp", testing_support::BmpBuilder(64, 64, indices, {0xFFFFFF, 0x202020}).Build({40, 24}));
    Setting<QSpinBox>("pictureWidth")->setValue(32);
    dialogs.answers = {Path("disc.bmp")};
    Click("BitBtn1");
    ASSERT_TRUE(dialogs.messages.empty());
  }

  // Selects the listed symbol; whether it is listed.
  bool Select(const ByteString& symbol) {
    auto* list = Control<QListWidget>("lstselc");
    for (int i = 0; i < list->count(); ++i) {
      if (list->item(i)->data(Qt::UserRole).toByteArray().toStdString() == symbol) {
        list->setCurrentRow(i);
        return true;
      }
    }
    return false;
  }

  // Replaces the selected symbol by what is typed into 新字符.
  void Replace(const char* typed) {
    auto* box = Control<QLineEdit>("ledtnewc");
    box->clear();
    Type(box, QString::fromUtf8(typed));
    Click("sbtorel");
  }

  PictureSettings& settings;
};

TEST_F(HanziWindow, SettingsChooseTheCharactersTheTextAndTheFill) {
  // 常用字: GB2312's first level, each once.
  ChooseHanzi(0);
  const Hanzi level1 = ChosenWay();
  const std::u32string characters = Characters(level1.characters);
  EXPECT_EQ(characters.size(), 3755u);
  EXPECT_EQ(std::set<char32_t>(characters.begin(), characters.end()).size(), 3755u);
  for (const char32_t c : characters) ASSERT_TRUE(SpaceOrLevel1(c)) << static_cast<unsigned>(c);
  EXPECT_TRUE(level1.text.empty());
  EXPECT_FALSE(level1.fill);
  // 全部: all 6,763.
  ChooseHanzi(1, "", "", true);
  EXPECT_EQ(Characters(ChosenWay().characters).size(), 6763u);
  EXPECT_TRUE(ChosenWay().fill);
  // The person's own characters.
  ChooseHanzi(2, "山水花");
  EXPECT_EQ(ChosenWay().characters, Gbk("山水花"));
  EXPECT_FALSE(Setting<QLabel>("pictureHanziNote")->isVisibleTo(&settings));
  // A text: its characters one a cell, spaces skipped, ASCII full-width.
  ChooseHanzi(2, "山水花", "春 眠A，", true);
  EXPECT_EQ(ChosenWay().text, Gbk("春眠Ａ，"));
  EXPECT_TRUE(ChosenWay().fill);
  EXPECT_FALSE(Setting<QComboBox>("pictureHanziSet")->isEnabled()) << "the text brings its characters";
  // Spaces alone are no text.
  ChooseHanzi(1, "", " \u3000 ");
  EXPECT_TRUE(ChosenWay().text.empty());
  EXPECT_EQ(Characters(ChosenWay().characters).size(), 6763u);

  // A set of one's own that cannot draw is told, and 常用字 drawn instead.
  for (const char* own : {"", "abc"}) {
    SCOPED_TRACE(own);
    ChooseHanzi(2, own);
    EXPECT_EQ(ChosenWay().characters, level1.characters);
    EXPECT_TRUE(Setting<QLabel>("pictureHanziNote")->isVisibleTo(&settings));
    EXPECT_TRUE(Setting<QLabel>("pictureHanziNote")->text().contains(QStringLiteral("常用字")));
  }
}

TEST_F(HanziWindow, TheWaysExcludeOneAnother) {
  ChooseHanzi(0);
  for (const char* other : {"pictureShapes", "pictureBlocks", "pictureRamp", "pictureColors", "pictureDither"}) {
    EXPECT_FALSE(Setting<QWidget>(other)->isEnabled()) << other;
  }
  EXPECT_TRUE(Setting<QWidget>("pictureFill")->isEnabled()) << "汉字 takes the fill";
  EXPECT_FALSE(Setting<QWidget>("pictureHanziCharacters")->isEnabled()) << "only for 自定义";
  // Shapes ticked before 汉字 was are drawn, and 汉字 greyed out.
  Setting<QCheckBox>("pictureHanzi")->setChecked(false);
  Setting<QCheckBox>("pictureShapes")->setChecked(true);
  Setting<QCheckBox>("pictureHanzi")->setChecked(true);
  EXPECT_FALSE(Setting<QWidget>("pictureHanzi")->isEnabled());
  EXPECT_TRUE(std::holds_alternative<Shapes>(settings.Options().way));
  Setting<QCheckBox>("pictureShapes")->setChecked(false);
  EXPECT_TRUE(std::holds_alternative<Hanzi>(settings.Options().way));
}

TEST_F(HanziWindow, SettingsAreRememberedAcrossANewDialog) {
  ChooseHanzi(2, "山水", "", true);
  {
    PictureSettings later;
    const PictureOptions options = later.Options();
    ASSERT_TRUE(std::holds_alternative<Hanzi>(options.way));
    EXPECT_EQ(std::get<Hanzi>(options.way).characters, Gbk("山水"));
    EXPECT_TRUE(std::get<Hanzi>(options.way).fill);
    EXPECT_EQ(later.findChild<QComboBox*>("pictureHanziSet")->currentText(), "自定义");
  }
  ChooseHanzi(1, "山水", "明月");
  {
    PictureSettings later;
    const PictureOptions options = later.Options();
    ASSERT_TRUE(std::holds_alternative<Hanzi>(options.way));
    EXPECT_EQ(std::get<Hanzi>(options.way).text, Gbk("明月"));
    EXPECT_EQ(later.findChild<QLineEdit*>("pictureHanziCharacters")->text(), "山水");
  }
  // Settings stored before 汉字 was offered keep their meaning.
  settings.SetOptions(PictureOptions{});
  {
    QSettings stored(QStringLiteral("Morvexa"), QStringLiteral("Morvexa"));
    for (const char* key : {"hanzi", "hanziSet", "hanziCharacters", "hanziText"}) {
      stored.remove(QStringLiteral("pictureConversion/") + key);
    }
    stored.setValue("pictureConversion/shapes", true);
  }
  PictureSettings earlier;
  EXPECT_TRUE(std::holds_alternative<Shapes>(earlier.Options().way));
  EXPECT_FALSE(earlier.findChild<QCheckBox*>("pictureHanzi")->isChecked());
  EXPECT_EQ(earlier.findChild<QComboBox*>("pictureHanziSet")->currentText(), "常用字");
}

TEST_F(HanziWindow, WidthAndPreviewSayTheColumnsOfWholeCharacters) {
  auto* preview = window.OpenDialog().findChild<PicturePreview*>("picturePreview");
  auto* width = Setting<QSpinBox>("pictureWidth");
  ChooseHanzi(0);
  preview->ShowFile({});
  EXPECT_EQ(width->text(), "每 16 像素 1 字（2 列）");
  // 40 pixels wide: five columns of 8 pixels, of which two characters
  // take four.
  WriteFile(dir / "narrow.bmp",
            testing_support::BmpBuilder(40, 80, std::vector<unsigned>(3200, 1), {0, 0x303030}).Build({40, 24}));
  preview->ShowFile(Path("narrow.bmp"));
  ASSERT_TRUE(preview->Picture().has_value());
  EXPECT_EQ(width->text(), "自动 4 列（2 字）");
  const QString caption = preview->findChild<QLabel*>("previewCaption")->text();
  EXPECT_TRUE(caption.startsWith(QStringLiteral("40 x 80 → 4 x "))) << caption.toStdString();
  EXPECT_EQ(preview->Picture()->width(), 4) << "a pixel a column";
  dialogs.answers = {Path("narrow.bmp")};
  Click("BitBtn1");
  ASSERT_GT(window.Art().LineCount(), 0u);
  for (std::size_t i = 0; i < window.Art().LineCount(); ++i) EXPECT_EQ(Columns(window.Art().GetLine(i)), 4u);
  preview->ShowFile({});
}

TEST_F(HanziWindow, ArtIsShownAndListedAsGb2312Characters) {
  ChooseHanzi(0);
  ConvertDisc();
  const ByteString art = window.Art().Text();
  std::u32string shown = Control<QPlainTextEdit>("Memo1")->toPlainText().toStdU32String();
  std::erase(shown, U'\n');
  std::u32string read = Characters(art);
  std::erase_if(read, [](char32_t c) { return c == U'\r' || c == U'\n'; });
  EXPECT_EQ(shown, read) << "the output area shows the characters";
  std::set<char32_t> used;
  for (const char32_t c : read) {
    ASSERT_TRUE(SpaceOrLevel1(c)) << static_cast<unsigned>(c);
    used.insert(c);
  }
  EXPECT_GT(used.size(), 2u);
  ASSERT_EQ(window.Art().LineCount(), 16u);
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(Characters(window.Art().GetLine(i)).size(), 16u);
  // Each character once, as the output area shows it.
  auto* list = Control<QListWidget>("lstselc");
  std::set<char32_t> listed;
  for (int i = 0; i < list->count(); ++i) {
    const std::u32string entry = Characters(list->item(i)->data(Qt::UserRole).toByteArray().toStdString());
    ASSERT_EQ(entry.size(), 1u);
    EXPECT_TRUE(listed.insert(entry[0]).second) << "listed twice: " << static_cast<unsigned>(entry[0]);
    EXPECT_EQ(list->item(i)->text().toStdU32String(), entry);
  }
  EXPECT_EQ(listed, used);
}

// A text whose neighbours' bytes spell a third of its characters: 氨编 is
// B0 B1 B1 E0, across which B1 B1 is 北.
TEST_F(HanziWindow, ACharacterIsReplacedInItsOwnCellsAlone) {
  ChooseHanzi(0, "", "氨编北");
  ConvertDisc();
  const std::u32string before = Characters(window.Art().Text());
  ASSERT_TRUE(Select(Gbk("北")));
  Replace("国");
  EXPECT_TRUE(dialogs.messages.empty());
  const std::u32string after = Characters(window.Art().Text());
  ASSERT_EQ(after.size(), before.size());
  std::size_t replaced = 0;
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(after[i], before[i] == U'北' ? U'国' : before[i]) << i;
    replaced += before[i] == U'北';
  }
  EXPECT_GT(replaced, 0u);
  EXPECT_FALSE(Select(Gbk("北")));
  EXPECT_TRUE(Select(Gbk("国")));
}

TEST_F(HanziWindow, ReplacementsKeepTheColumnsAndAsciiArtKeepsItsOneByteBox) {
  ChooseHanzi(0, "", "氨编北");
  ConvertDisc();
  const ByteString art = window.Art().Text();
  const std::u32string cells = Characters(art);
  std::map<std::size_t, std::size_t> columns;
  for (std::size_t i = 0; i < window.Art().LineCount(); ++i) columns[i] = Columns(window.Art().GetLine(i));
  // A character by an ASCII symbol: the symbol twice, in its two columns.
  ASSERT_TRUE(Select(Gbk("编")));
  Replace("#");
  for (std::size_t i = 0; i < window.Art().LineCount(); ++i) EXPECT_EQ(Columns(window.Art().GetLine(i)), columns[i]);
  const std::u32string twice = Characters(window.Art().Text());
  const auto replaced = std::count(cells.begin(), cells.end(), U'编');
  EXPECT_GT(replaced, 0);
  EXPECT_EQ(std::count(twice.begin(), twice.end(), U'#'), 2 * replaced);
  EXPECT_EQ(twice.size(), cells.size() + static_cast<std::size_t>(replaced));
  // And back: the two become the character again.
  ASSERT_TRUE(Select("#"));
  Replace("编");
  EXPECT_EQ(window.Art().Text(), art);
  EXPECT_TRUE(dialogs.messages.empty());

  // Art of ASCII symbols: 新字符 takes one byte, as it always has.
  settings.SetOptions(PictureOptions{});
  ConvertDisc();
  auto* box = Control<QLineEdit>("ledtnewc");
  box->clear();
  Type(box, QStringLiteral("字"));
  EXPECT_EQ(box->text(), "");
  Type(box, QStringLiteral("ab"));
  EXPECT_EQ(box->text(), "a");
}

TEST_F(HanziWindow, SavingWritesTheCodePage936BytesLineByLine) {
  ChooseHanzi(0, "", "", true);
  ConvertDisc();
  dialogs.answers = {Path("art.txt")};
  Click("sbtosave");
  const std::string saved = ReadFile(dir / "art.txt");
  EXPECT_EQ(saved, window.Art().Text());
  // Every line ends CR LF, and reads back as the lines shown.
  const QStringList shown = Control<QPlainTextEdit>("Memo1")->toPlainText().split('\n');
  std::size_t line = 0;
  for (std::size_t at = 0; at < saved.size(); ++line) {
    const std::size_t end = saved.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    const std::string bytes = saved.substr(at, end - at);
    EXPECT_EQ(bytes.find_first_of("\r\n"), std::string::npos);
    ASSERT_LT(line, static_cast<std::size_t>(shown.size()));
    EXPECT_EQ(Characters(bytes), shown[static_cast<qsizetype>(line)].toStdU32String());
    at = end + 2;
  }
  EXPECT_EQ(line, 16u);
}

}  // namespace
}  // namespace morvexa
