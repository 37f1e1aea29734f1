// Pictures drawn in Chinese characters in the window: the open dialog's
// 汉字 settings and the art they make, its code page 936 bytes read back
// with glibc's iconv.
#include <iconv.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>
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

}  // namespace
}  // namespace morvexa
