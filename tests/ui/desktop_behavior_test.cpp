// The window as a person uses it: keys, drops, zoom, undo, closing.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QIcon>
#include <QImage>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "../support/bmp_builder.h"
#include "art_edit.h"
#include "program_start.h"
#include "window_fixture.h"
#include "window_font.h"

namespace morvexa {
namespace {

using Desktop = WindowTest;

QStringList Entries(QListWidget* list) {
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->item(i)->data(Qt::UserRole).toString();
  return entries;
}

TEST_F(Desktop, TabMovesTheFocusOutOfTheOutputArea) {
  ShowActive();
  auto* memo = Control<QPlainTextEdit>("Memo1");
  memo->setFocus();
  const ByteString before = window.Art().Text();
  QTest::keyClick(memo, Qt::Key_Tab);
  EXPECT_FALSE(memo->hasFocus());
  EXPECT_EQ(QApplication::focusWidget(), Control("Btntoasc"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  EXPECT_TRUE(memo->hasFocus()) << "Shift+Tab comes back";
  EXPECT_EQ(window.Art().Text(), before);
  QTest::keyClick(memo, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(window.Art().Text(), "\t" + before) << "Ctrl+Tab puts a tab in";
}

TEST_F(Desktop, KeysRunTheCommands) {
  ShowActive();
  QTest::keyClick(Control("ledtin"), Qt::Key_Return);
  EXPECT_EQ(window.Art().LineCount(), 16u) << "Enter in 汉字 draws";
  QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "请先选择需替换的字符") << "Ctrl+R replaces";
  QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
  QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
  ASSERT_EQ(dialogs.executed.size(), 2u);
  EXPECT_EQ(dialogs.executed[0], &window.SaveDialog()) << "Ctrl+S saves";
  EXPECT_EQ(dialogs.executed[1], &window.OpenDialog()) << "Ctrl+O converts a picture";
  QTest::keyClick(&window, Qt::Key_F1);
  EXPECT_EQ(dialogs.modalsShown, 1) << "F1 shows the about box";
}

// A drop of real drop events on the output area, which leaves files to the
// window.
void DropFile(QWidget* target, const QString& path) {
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(path)});
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &move);
  QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

TEST_F(Desktop, DroppedPicturesConvertAsChosenOnes) {
  ShowActive();
  WriteFile(dir / "p.bmp",
            testing_support::BmpBuilder(3, 2, {0, 1, 1, 2, 0, 0}, {0xFFFFFF, 0, 0xFF0000}).Build({40, 8}));
  WriteFile(dir / "text.bmp", "a plain text file whose name ends in .bmp");
  for (QWidget* target : {Control("Memo1"), static_cast<QWidget*>(&window)}) {
    SCOPED_TRACE(target->objectName().toStdString());
    Click("Btntoasc");
    DropFile(target, Path("p.bmp"));
    EXPECT_EQ(window.Art().Text(), " !!\r\n\"  \r\n");
    EXPECT_EQ(Entries(Control<QListWidget>("lstselc")), (QStringList{" ", "!", "\""}));
    DropFile(target, Path("text.bmp"));
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().text, "Bitmap image is not valid.");
    EXPECT_EQ(window.Art().Text(), " !!\r\n\"  \r\n") << "nothing changes on a failure";
  }
  EXPECT_TRUE(dialogs.executed.empty()) << "no dialog for a drop";
}

TEST(WindowArguments, OnePictureAtMostAndNoUnknownOptions) {
  auto parse = [](QStringList arguments) {
    arguments.prepend(QStringLiteral("morvexa"));
    return ParseWindowArguments(arguments);
  };
  EXPECT_TRUE(parse({}).picture.isEmpty());
  EXPECT_TRUE(parse({}).error.isEmpty());
  EXPECT_EQ(parse({"照片.png"}).picture, "照片.png");
  EXPECT_EQ(parse({"--", "-odd.png"}).picture, "-odd.png") << "-- ends the options";
  EXPECT_EQ(parse({"-"}).picture, "-");
  EXPECT_EQ(parse({"--frobnicate"}).error, "unrecognized option '--frobnicate'");
  EXPECT_EQ(parse({"a.png", "b.png"}).error, "one picture at most: 'b.png' is another");
  EXPECT_TRUE(parse({"a.png", "b.png"}).picture == "a.png");
  EXPECT_FALSE(parse({"a.png"}).options) << "no options: as the window remembers";
  // Qt takes its own options, with their values, from the same words.
  const WindowArguments qt = parse({"-platform", "offscreen", "--style=fusion", "a.png", "-reverse", "--title", "T"});
  EXPECT_TRUE(qt.error.isEmpty()) << qt.error.toStdString();
  EXPECT_EQ(qt.picture, "a.png");
}

TEST(WindowArguments, ThePictureOptionsOfTheCommandLine) {
  auto parse = [](QStringList arguments) {
    arguments.prepend(QStringLiteral("morvexa"));
    return ParseWindowArguments(arguments);
  };
  // Given joined or as the next word, before or after the picture.
  const WindowArguments shapes = parse({"--width", "40", "a.png", "--shapes", "--fill"});
  ASSERT_TRUE(shapes.error.isEmpty()) << shapes.error.toStdString();
  ASSERT_TRUE(shapes.options);
  EXPECT_EQ(shapes.options->width, 40u);
  const auto* way = std::get_if<Shapes>(&shapes.options->way);
  ASSERT_NE(way, nullptr);
  EXPECT_TRUE(way->fill);
  const WindowArguments ramp = parse({"--ramp=.:#", "--invert", "--height=12", "a.png"});
  ASSERT_TRUE(ramp.options);
  EXPECT_EQ(ramp.options->height, 12u);
  const auto* symbols = std::get_if<Ramp>(&ramp.options->way);
  ASSERT_NE(symbols, nullptr);
  EXPECT_EQ(symbols->symbols, ".:#");
  EXPECT_TRUE(symbols->invert);
  // The window saves code page 936: its block elements only.
  const WindowArguments blocks = parse({"--blocks", "a.png"});
  ASSERT_TRUE(blocks.options);
  EXPECT_EQ(std::get<Blocks>(blocks.options->way).kind, BlockKind::CodePage936);
  const WindowArguments reduced = parse({"--colors", "8", "--dither", "a.png"});
  ASSERT_TRUE(reduced.options);
  EXPECT_EQ(std::get<ReducedColors>(reduced.options->way).colors, 8);
  EXPECT_EQ(parse({"--frame", "3", "a.gif"}).frame, 2u) << "frames counted from 1, as morvexa-cli counts them";
  EXPECT_EQ(parse({"--frame=0", "a.gif"}).error, "--frame: \"0\" is not a whole number from 1 to 1000000");

  // Refused with the words morvexa-cli uses.
  const std::pair<QStringList, QString> refused[] = {
      {{"--ramp", "--colors=4", "a.png"}, "--ramp and --colors cannot be used together"},
      {{"--shapes", "--blocks", "a.png"}, "--shapes and --blocks cannot be used together"},
      {{"--invert", "a.png"}, "--invert is for --ramp, --shapes, --blocks and --hanzi only"},
      {{"--width=abc", "a.png"}, "--width: \"abc\" is not a whole number from 0 to 1048576"},
      {{"--colors", "96", "a.png"}, "--colors: \"96\" is not a whole number from 2 to 95"},
      {{"--blocks=braille", "a.png"},
       "code page 936 holds no braille; --blocks=braille takes --format utf8, ansi or html"},
      {{"a.png", "--width"}, "--width needs a value: a whole number from 0 to 1048576"},
      {{"--shapes=yes", "a.png"}, "--shapes takes no value"},
      {{"--shapes"}, "--shapes is for a PICTURE given with it"},
      {{"--background=red", "a.png"}, "unrecognized option '--background=red'"},
      {{"--widht", "3", "a.png"}, "unrecognized option '--widht'; did you mean --width?"},
      {{"--ivnert", "a.png"}, "unrecognized option '--ivnert'; did you mean --invert?"},
  };
  for (const auto& [arguments, error] : refused) EXPECT_EQ(parse(arguments).error, error);
}

TEST_F(Desktop, ZoomKeepsTheArtAligned) {
  ShowActive();
  auto* memo = Control<ArtEdit>("Memo1");
  EXPECT_EQ(memo->font().pixelSize(), 12);
  std::vector<int> seen = {12};
  for (int i = 0; i < 4; ++i) {
    QTest::keyClick(&window, Qt::Key_Equal, Qt::ControlModifier);
    seen.push_back(memo->font().pixelSize());
  }
  QTest::keyClick(&window, Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(memo->font().pixelSize(), 12);
  QTest::keyClick(&window, Qt::Key_Minus, Qt::ControlModifier);
  seen.push_back(memo->font().pixelSize());
  QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, 240), Qt::NoButton, Qt::ControlModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(memo->viewport(), &wheel);
  seen.push_back(memo->font().pixelSize());
  EXPECT_GT(seen[4], seen[0]) << "larger";
  EXPECT_LT(seen[5], 12) << "smaller";
  for (int pixels : seen) {
    SCOPED_TRACE(pixels);
    QFont font = memo->font();
    font.setPixelSize(pixels);
    const QFontMetrics metrics(font);
    EXPECT_TRUE(KeepsArtAligned(font));
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("字")), 2 * metrics.horizontalAdvance(QLatin1Char('$')));
  }
}

TEST_F(Desktop, EachCommandIsOneStepOfUndo) {
  ShowActive();
  auto* memo = Control<QPlainTextEdit>("Memo1");
  auto* list = Control<QListWidget>("lstselc");
  const ByteString start = window.Art().Text();
  Click("Btntoasc");
  const ByteString drawn = window.Art().Text();
  list->setCurrentRow(1);
  Type(Control("ledtnewc"), ".");
  Click("sbtorel");
  const ByteString replaced = window.Art().Text();
  ASSERT_NE(replaced, drawn);
  EXPECT_EQ(Entries(list), (QStringList{"$", "."}));

  memo->undo();
  EXPECT_EQ(window.Art().Text(), drawn) << "the whole replacement, in one step";
  EXPECT_EQ(Entries(list), (QStringList{"$", " "})) << "with its symbol list";
  memo->undo();
  EXPECT_EQ(window.Art().Text(), start) << "the whole drawing, in one step";
  EXPECT_TRUE(Entries(list).isEmpty());
  memo->redo();
  memo->redo();
  EXPECT_EQ(window.Art().Text(), replaced);
  EXPECT_EQ(Entries(list), (QStringList{"$", "."}));
}

TEST_F(Desktop, UnsavedArtIsNotLetGoWithoutAsking) {
  window.show();
  EXPECT_TRUE(window.close()) << "nothing made: it closes at once";
  EXPECT_EQ(dialogs.askedToSave, 0);

  window.show();
  Click("Btntoasc");
  dialogs.saveChoice = SaveChoice::Cancel;
  EXPECT_FALSE(window.close());
  EXPECT_EQ(dialogs.askedToSave, 1);
  EXPECT_TRUE(window.isVisible());

  dialogs.saveChoice = SaveChoice::Save;
  dialogs.answers = {QString()};  // the save dialog cancelled: still open
  EXPECT_FALSE(window.close());
  dialogs.answers = {Path("art.txt")};
  EXPECT_TRUE(window.close());
  EXPECT_EQ(ReadFile(dir / "art.txt").size(), 544u);

  window.show();
  EXPECT_TRUE(window.close()) << "saved: it closes at once";
  window.show();
  Click("Btntoasc");
  Type(Control("ledtin"), "x");  // typing elsewhere changes no art
  Control<QPlainTextEdit>("Memo1")->insertPlainText("typed");
  dialogs.saveChoice = SaveChoice::DontSave;
  const int asked = dialogs.askedToSave;
  EXPECT_TRUE(window.close());
  EXPECT_EQ(dialogs.askedToSave, asked + 1);
}

TEST_F(Desktop, EveryControlStaysInSightAtTheSmallestSize) {
  window.show();
  EXPECT_EQ(window.minimumSize(), QSize(581, 439));
  window.resize(100, 100);
  EXPECT_EQ(window.size(), QSize(581, 439));
  for (QWidget* control : window.findChildren<QWidget*>()) {
    if (control->window() != &window || !control->isVisible() || control->objectName().isEmpty()) continue;
    const QRect inWindow(control->mapTo(&window, QPoint(0, 0)), control->size());
    EXPECT_TRUE(window.rect().contains(inWindow)) << control->objectName().toStdString();
  }
}

TEST_F(Desktop, TheWindowIsCenteredAndBearsTheProgramsIcon) {
  window.show();
  QCoreApplication::processEvents();  // the window system frames it
  const QRect area = window.screen()->availableGeometry();
  const QRect frame = window.frameGeometry();
  EXPECT_EQ(frame.x(), area.x() + (area.width() - frame.width()) / 2);
  EXPECT_EQ(frame.y(), area.y() + (area.height() - frame.height()) / 2);
  EXPECT_FALSE(QApplication::windowIcon().isNull()) << "every window and message box has it";

  // Every size drawn, each exactly as drawn (no downscale of another).
  const QIcon icon = window.windowIcon();
  QList<QSize> sizes = icon.availableSizes();
  std::sort(sizes.begin(), sizes.end(), [](QSize a, QSize b) { return a.width() < b.width(); });
  const QList<QSize> drawn = {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
  EXPECT_EQ(sizes, drawn);
  for (const QSize size : drawn) {
    const QImage file(QStringLiteral(MORVEXA_ICONS "/hicolor/%1x%1/org.example.Morvexa.png").arg(size.width()));
    ASSERT_FALSE(file.isNull()) << size.width();
    // Compared as a pixmap holds them, premultiplied by alpha.
    EXPECT_EQ(icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
              file.convertToFormat(QImage::Format_ARGB32_Premultiplied))
        << size.width();
  }
}

}  // namespace
}  // namespace morvexa
