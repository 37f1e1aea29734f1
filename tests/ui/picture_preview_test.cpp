#include <sys/stat.h>

#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <set>

#include "../support/bmp_builder.h"
#include "../support/large_pictures.h"
#include "memo_art_area.h"
#include "morvexa/cp936.h"
#include "picture_preview.h"
#include "picture_settings.h"
#include "program_start.h"
#include "window_fixture.h"

namespace morvexa {
namespace {

using Preview = WindowTest;

TEST_F(Preview, ShowsReadablePicturesAndNoneOtherwise) {
  auto* preview = window.OpenDialog().findChild<PicturePreview*>("picturePreview");
  ASSERT_NE(preview, nullptr) << "the open dialog carries the preview";
  auto* caption = preview->findChild<QLabel*>("previewCaption");
  auto* image = preview->findChild<QLabel*>("previewImage");
  auto* button = preview->findChild<QPushButton*>("previewButton");

  const auto bytes = testing_support::BmpBuilder(5, 3, std::vector<unsigned>(15, 1), {0, 0x336699}).Build({40, 8, 1});
  WriteFile(dir / "p.bmp", bytes);
  preview->ShowFile(Path("p.bmp"));
  ASSERT_TRUE(preview->Picture().has_value());
  EXPECT_EQ(caption->text(), "5 x 3");
  EXPECT_TRUE(button->isEnabled());
  ASSERT_TRUE(preview->Picture().has_value());
  EXPECT_EQ(preview->Picture()->pixel(4, 2), 0xFF336699u);
  EXPECT_FALSE(image->pixmap().isNull());

  QTest::mouseClick(button, Qt::LeftButton);
  auto* full = preview->findChild<QDialog*>("fullSizePreview");
  ASSERT_NE(full, nullptr);
  EXPECT_TRUE(full->isVisible());
  full->close();

  WriteFile(dir / "text.bmp", "not a picture at all, but long enough");
  WriteFile(dir / "empty.bmp", "");
  for (const char* name : {"text.bmp", "empty.bmp", "missing.bmp", ""}) {
    SCOPED_TRACE(name);
    preview->ShowFile(*name ? Path(name) : QString());
    EXPECT_FALSE(preview->Picture().has_value());
    EXPECT_EQ(image->text(), "(None)");
    EXPECT_EQ(caption->text(), "");
    EXPECT_FALSE(button->isEnabled());
  }
  preview->ShowFile(QString::fromStdString(dir.string()));
  EXPECT_FALSE(preview->Picture().has_value());
  EXPECT_FALSE(button->isEnabled()) << "a folder";
}

}  // namespace
}  // namespace morvexa

namespace morvexa {
namespace {

// A 1-bit BMP of side x side pixels whose pixel rows are all zero (so left
// sparse on disk), with a palette of black and white.
void WriteHugeBmp(const std::filesystem::path& path, std::uint32_t side) {
  std::string header(62, '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) header[at + k] = static_cast<char>(v >> (8 * k));
  };
  const std::uint64_t stride = (side + 31) / 32 * 4;
  header[0] = 'B', header[1] = 'M';
  put32(10, 62), put32(14, 40), put32(18, side), put32(22, side);
  header[26] = 1, header[28] = 1;
  header[58] = header[59] = header[60] = '\xFF';  // palette entry 1 white; entry 0 black
  testing_support::WriteFile(path, header);
  std::filesystem::resize_file(path, 62 + stride * side);
}

TEST_F(Preview, LargePicturesArePreviewedFromAFewRows) {
  auto* preview = window.OpenDialog().findChild<PicturePreview*>("picturePreview");
  WriteHugeBmp(dir / "huge.bmp", 16384);
  preview->ShowFile(Path("huge.bmp"));
  ASSERT_TRUE(preview->Picture().has_value());
  EXPECT_EQ(preview->Picture()->size(), QSize(PicturePreview::kSide, PicturePreview::kSide));
  EXPECT_EQ(preview->Picture()->pixel(7, 9), 0xFF000000u);
  EXPECT_EQ(preview->findChild<QLabel*>("previewCaption")->text(), "16384 x 16384");
}

TEST_F(Preview, OnlyTheLastHighlightedFileIsShown) {
  auto* preview = window.OpenDialog().findChild<PicturePreview*>("picturePreview");
  WriteHugeBmp(dir / "huge.bmp", 16384);
  const auto small = testing_support::BmpBuilder(4, 2, std::vector<unsigned>(8, 1), {0, 0x112233}).Build({40, 24});
  WriteFile(dir / "small.bmp", small);
  ASSERT_EQ(mkfifo((dir / "fifo.bmp").c_str(), 0644), 0);
  QSignalSpy ready(preview, &PicturePreview::Ready);
  for (const char* name : {"huge.bmp", "fifo.bmp", "huge.bmp", "small.bmp"}) preview->ShowFile(Path(name));
  ASSERT_TRUE(preview->Picture().has_value());
  EXPECT_EQ(preview->Picture()->size(), QSize(4, 2));
  EXPECT_EQ(preview->findChild<QLabel*>("previewCaption")->text(), "4 x 2");
  QCoreApplication::processEvents();
  EXPECT_EQ(ready.count(), 1) << "the files highlighted before were given up";
}

TEST_F(Preview, OfferingThePreviousFileDoesNotReadIt) {
  auto* preview = window.OpenDialog().findChild<PicturePreview*>("picturePreview");
  WriteHugeBmp(dir / "huge.bmp", 4096);
  QSignalSpy ready(preview, &PicturePreview::Ready);
  dialogs.answers = {Path("huge.bmp"), QString()};
  Click("BitBtn1");
  Click("BitBtn1");  // offers huge.bmp again, then is cancelled
  QCoreApplication::processEvents();
  EXPECT_EQ(ready.count(), 0);
  EXPECT_FALSE(preview->Picture().has_value());
}

}  // namespace
}  // namespace morvexa

namespace morvexa {
namespace {

// The symbols of the ramp the settings choose; none for another way.
ByteString RampOf(const PictureSettings& settings) {
  const PictureOptions options = settings.Options();
  const auto* ramp = std::get_if<Ramp>(&options.way);
  return ramp ? ramp->symbols : ByteString();
}

TEST_F(Preview, SettingsAreRememberedAndTheirDefaultsChangeNothing) {
  auto* settings = window.OpenDialog().findChild<PictureSettings*>("pictureSettings");
  ASSERT_NE(settings, nullptr);
  settings->SetOptions(PictureOptions{});
  EXPECT_TRUE(settings->Options().Plain()) << "at its defaults a conversion is as it always was";
  PictureOptions chosen;
  chosen.width = 40;
  chosen.way = ReducedColors{8, true};
  settings->SetOptions(chosen);
  {
    PictureSettings later;  // a later run of the program
    EXPECT_EQ(later.Options().width, 40u);
    const PictureOptions options = later.Options();
    const auto* reduced = std::get_if<ReducedColors>(&options.way);
    ASSERT_NE(reduced, nullptr);
    EXPECT_EQ(reduced->colors, 8);
    EXPECT_TRUE(reduced->dither);
  }
  PictureOptions ramp;
  ramp.way = Ramp{".:#"};
  settings->SetOptions(ramp);
  EXPECT_EQ(RampOf(PictureSettings()), ByteString(".:#"));
  settings->SetOptions(PictureOptions{});
}

TEST_F(Preview, ShowsThePictureAsItWillBeConverted) {
  auto* preview = window.OpenDialog().findChild<PicturePreview*>("picturePreview");
  // 20 x 10 pixels: the left half black, the right half white.
  std::vector<unsigned> indices(200);
  for (unsigned i = 0; i < 200; ++i) indices[i] = i % 20 < 10 ? 0 : 1;
  WriteFile(dir / "halves.bmp", testing_support::BmpBuilder(20, 10, indices, {0, 0xFFFFFF}).Build({40, 24}));
  PictureOptions four;
  four.width = 4;
  preview->Settings()->SetOptions(four);
  preview->ShowFile(Path("halves.bmp"));
  ASSERT_TRUE(preview->Picture().has_value());
  // 4 columns and 1 line (20 x 10 at a half-height cell), a cell drawn 1 x 2.
  EXPECT_EQ(preview->findChild<QLabel*>("previewCaption")->text(), "20 x 10 → 4 x 1");
  EXPECT_EQ(preview->Picture()->size(), QSize(4, 2));
  EXPECT_EQ(preview->Picture()->pixel(1, 1), 0xFF000000u);
  EXPECT_EQ(preview->Picture()->pixel(2, 0), 0xFFFFFFFFu);

  // And the conversion itself follows the same settings.
  dialogs.answers = {Path("halves.bmp")};
  Click("BitBtn1");
  EXPECT_EQ(window.Art().Text(), "  !!\r\n");
  preview->Settings()->SetOptions(PictureOptions{});
  dialogs.answers = {Path("halves.bmp")};
  Click("BitBtn1");
  EXPECT_EQ(window.Art().LineCount(), 10u) << "back to a symbol a pixel";
}

TEST_F(Preview, ShapesAndTheRampDrawDarkTonesDark) {
  // 160 x 64 pixels: a black band, a mid-gray band and white, across.
  std::vector<unsigned> indices(160 * 64);
  for (unsigned i = 0; i < indices.size(); ++i) indices[i] = i % 160 < 60 ? 0 : i % 160 < 100 ? 1 : 2;
  WriteFile(dir / "bands.bmp",
            testing_support::BmpBuilder(160, 64, indices, {0x000000, 0x808080, 0xFFFFFF}).Build({40, 24}));
  auto* settings = window.OpenDialog().findChild<PictureSettings*>("pictureSettings");
  ASSERT_NE(settings, nullptr);
  // A symbol's place in the ramp, lightest first.
  auto ink = [](char symbol) { return PictureOptions::kDefaultRamp.find(symbol); };
  for (const bool shapes : {true, false}) {
    SCOPED_TRACE(shapes ? "形状" : "亮度");
    PictureOptions options;
    options.width = 20;
    if (shapes) {
      options.way = Shapes{};
    } else {
      options.way = Ramp{};
    }
    settings->SetOptions(options);
    dialogs.answers = {Path("bands.bmp")};
    Click("BitBtn1");
    ASSERT_GE(window.Art().LineCount(), 2u);
    const ByteString line = window.Art().GetLine(1);
    ASSERT_EQ(line.size(), 20u);
    // The black band is solid ink, the white one clean paper, the gray one
    // between, and not an outline.
    for (std::size_t x = 1; x < 6; ++x) EXPECT_NE(line[x], ' ') << line;
    for (std::size_t x = 13; x < 20; ++x) EXPECT_EQ(line[x], ' ') << line;
    if (!shapes) {
      EXPECT_EQ(line[3], '@') << line;
      EXPECT_GT(ink(line[9]), ink('.')) << line;
      EXPECT_LT(ink(line[9]), ink('@')) << line;
    }
  }
  settings->SetOptions(PictureOptions{});
}

TEST_F(Preview, TheEarlierDefaultRampBecomesTodays) {
  {
    QSettings stored(QStringLiteral("Morvexa"), QStringLiteral("Morvexa"));
    stored.setValue("pictureConversion/rampSymbols", " .-=+*");
    stored.setValue("pictureConversion/ramp", true);
  }
  EXPECT_EQ(RampOf(PictureSettings()), ByteString(kDefaultRamp));
  {
    QSettings stored(QStringLiteral("Morvexa"), QStringLiteral("Morvexa"));
    stored.setValue("pictureConversion/rampSymbols", " .-=+*#");
  }
  EXPECT_EQ(RampOf(PictureSettings()), ByteString(" .-=+*#")) << "a ramp of the person's own is kept";
  PictureSettings().SetOptions(PictureOptions{});
}

TEST_F(Preview, OptionsGivenWithAPictureApplyToItAlone) {
  std::vector<unsigned> indices(160 * 64);
  for (unsigned i = 0; i < indices.size(); ++i) indices[i] = i % 160 < 80 ? 0 : 1;
  WriteFile(dir / "halves.bmp", testing_support::BmpBuilder(160, 64, indices, {0x000000, 0xFFFFFF}).Build({40, 24}));
  auto* settings = window.OpenDialog().findChild<PictureSettings*>("pictureSettings");
  settings->SetOptions(PictureOptions{});
  PictureOptions given;
  given.width = 10;
  given.way = Ramp{};
  window.ConvertPictureCommand(Path("halves.bmp"), given);
  QCoreApplication::processEvents();
  ASSERT_GE(window.Art().LineCount(), 1u);
  EXPECT_EQ(window.Art().GetLine(0), "@@@@@     ");
  EXPECT_TRUE(settings->Options().Plain()) << "not remembered";
  EXPECT_TRUE(PictureSettings().Options().Plain());
}

TEST_F(Preview, AnAnimatedPicturePlaysAndItsFrameIsConvertedByNumber) {
  // Three frames of one color each, 0.1 s a frame, made by ImageMagick.
  ASSERT_EQ(std::system(("convert -size 16x8 xc:red xc:lime xc:blue -set delay 10 -loop 0 '" +
                         (dir / "three.gif").string() + "'")
                            .c_str()),
            0)
      << "convert, from Debian's imagemagick package";
  auto* preview = window.OpenDialog().findChild<PicturePreview*>("picturePreview");
  preview->ShowFile(Path("three.gif"));
  ASSERT_TRUE(preview->Picture().has_value());
  EXPECT_EQ(preview->Picture()->pixel(0, 0), 0xFFFF0000u) << "the first frame first";
  auto* image = preview->findChild<QLabel*>("previewImage");
  // The frames follow one another, each in its own color.
  std::set<QRgb> shown;
  for (int wait = 0; wait < 100 && shown.size() < 3; ++wait) {
    QTest::qWait(20);
    shown.insert(image->pixmap().toImage().pixel(image->pixmap().width() / 2, image->pixmap().height() / 2));
  }
  EXPECT_EQ(shown, (std::set<QRgb>{0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}));
  preview->ShowFile({});

  // The conversion takes the first frame, or the one asked for.
  auto& art = dynamic_cast<MemoArtArea&>(window.Art());
  auto firstColor = [&art] {
    std::vector<Rgb> ink, paper;
    art.ColorsOfLine(0, art.GetLine(0), ink, paper);
    return ink.empty() ? kNoColor : ink.front();
  };
  window.ConvertPictureCommand(Path("three.gif"), PictureOptions{}, 2);
  QCoreApplication::processEvents();
  ASSERT_EQ(art.LineCount(), 8u);
  EXPECT_EQ(firstColor(), 0x0000FFu) << "the third frame";
  window.ConvertPictureCommand(Path("three.gif"));
  QCoreApplication::processEvents();
  EXPECT_EQ(firstColor(), 0xFF0000u) << "the first";
}

TEST_F(Preview, AnAnimationWhoseLaterFrameCannotBeReadShowsItsFirstAlone) {
  // Two frames on a 16 x 8 screen, the first red all over; the second is
  // no frame (no pixels wide).
  WriteFile(dir / "broken.gif", testing_support::GifOf(16, 8, {{0, 0, 16, 8, 0xFF0000}, {0, 0, 0, 4, 0x0000FF}}));
  auto* preview = window.OpenDialog().findChild<PicturePreview*>("picturePreview");
  preview->ShowFile(Path("broken.gif"));
  ASSERT_TRUE(preview->Picture().has_value());
  EXPECT_EQ(preview->Picture()->pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(preview->findChild<QLabel*>("previewCaption")->text(), "16 x 8");
  // Shown still: nothing follows it.
  auto* image = preview->findChild<QLabel*>("previewImage");
  QTest::qWait(300);
  const QImage shown = image->pixmap().toImage();
  EXPECT_EQ(shown.pixel(shown.width() / 2, shown.height() / 2), 0xFFFF0000u);
}

TEST_F(Preview, WidthSaysTheColumnsDrawnAndCellsKeepThePicturesProportions) {
  // 448 x 512 pixels: the left half black, the right half white.
  std::vector<unsigned> indices(448 * 512);
  for (unsigned i = 0; i < indices.size(); ++i) indices[i] = i % 448 < 224 ? 0 : 1;
  WriteFile(dir / "photo.bmp", testing_support::BmpBuilder(448, 512, indices, {0, 0xFFFFFF}).Build({40, 24}));
  auto* preview = window.OpenDialog().findChild<PicturePreview*>("picturePreview");
  auto* width = preview->findChild<QSpinBox*>("pictureWidth");
  auto* caption = preview->findChild<QLabel*>("previewCaption");
  PictureOptions ramp, shapes, blocks, reduced;
  ramp.way = Ramp{};
  shapes.way = Shapes{};
  blocks.way = Blocks{BlockKind::CodePage936};
  reduced.way = ReducedColors{8};
  // Unsized: a cell for each pixel only with a symbol for each color; the
  // others' cells are half as high as wide (the default aspect), so their
  // lines are half the columns' share of the picture's rows.
  struct Case {
    const char* name;
    PictureOptions options;
    const char* before;  // what 宽度 says with no picture highlighted
    const char* shown;   // and with photo.bmp highlighted
    std::size_t columns, lines;
  };
  const Case cases[] = {
      {"default", PictureOptions{}, "原始大小", "原始大小", 448, 512},
      {"colors", reduced, "原始大小", "原始大小", 448, 512},
      {"ramp", ramp, "每像素 1 列", "自动 448 列", 448, 256},
      {"shapes", shapes, "每 8 像素 1 列", "自动 56 列", 56, 32},
      {"blocks", blocks, "每 2 像素 1 列", "自动 224 列", 224, 128},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    preview->ShowFile({});
    preview->Settings()->SetOptions(c.options);
    EXPECT_EQ(width->text().toStdString(), c.before);
    preview->ShowFile(Path("photo.bmp"));
    ASSERT_TRUE(preview->Picture().has_value());
    EXPECT_EQ(width->text().toStdString(), c.shown);
    const QString art = QStringLiteral("448 x 512 → %1 x %2").arg(c.columns).arg(c.lines);
    EXPECT_EQ(caption->text().toStdString(),
              (c.columns == 448 && c.lines == 512 ? QStringLiteral("448 x 512") : art).toStdString());
    // The preview has the picture's shape, a cell of text drawn twice as
    // tall as wide (but for fewer colors, a cell per pixel shown as text).
    const QSize shown = preview->Picture()->size();
    if (!std::holds_alternative<ReducedColors>(c.options.way)) {
      EXPECT_NEAR(shown.width() * 512.0 / (shown.height() * 448.0), 1.0, 0.02)
          << shown.width() << " x " << shown.height();
    }

    dialogs.answers = {Path("photo.bmp")};
    Click("BitBtn1");
    ASSERT_EQ(window.Art().LineCount(), c.lines);
    const ByteString line = window.Art().GetLine(c.lines / 2);
    EXPECT_EQ(cp936::Decode(line).size(), c.columns);
  }
  // The default is a symbol a pixel, byte for byte: the colors' symbols in
  // the order met.
  preview->Settings()->SetOptions(PictureOptions{});
  dialogs.answers = {Path("photo.bmp")};
  Click("BitBtn1");
  const ByteString row = ByteString(224, ' ') + ByteString(224, '!') + "\r\n";
  ByteString expected;
  for (int y = 0; y < 512; ++y) expected += row;
  EXPECT_EQ(window.Art().Text(), expected);

  // Given on the command line, the ramp is drawn in proportion too, by the
  // aspect given with it.
  const std::pair<QStringList, std::size_t> given[] = {
      {{"--ramp"}, 256}, {{"--ramp", "--aspect=1"}, 512}, {{"--ramp", "--aspect", "0.25"}, 128}, {{}, 512}};
  for (const auto& [options, lines] : given) {
    SCOPED_TRACE(options.join(' ').toStdString());
    const WindowArguments arguments =
        ParseWindowArguments(QStringList{"morvexa"} + options + QStringList{Path("photo.bmp")});
    ASSERT_TRUE(arguments.error.isEmpty());
    window.ConvertPictureCommand(arguments.picture, arguments.options);
    EXPECT_EQ(window.Art().LineCount(), lines);
    EXPECT_EQ(window.Art().GetLine(0).size(), 448u);
  }
  EXPECT_TRUE(dialogs.messages.empty());
  preview->ShowFile({});
}

}  // namespace
}  // namespace morvexa
