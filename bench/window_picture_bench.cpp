// A picture conversion in the window, offscreen: a 4096 x 4096 BMP from the
// click on 图片 to its lines shown in Memo1, beside the engine's own
// decode-and-convert of the same file. The window's share is the
// difference. And art of 1024 x 1024 (a million characters, four times
// what the colored view used to stop at) converted and shown in its
// colors, scrolled through a screen at a time, beside the same shown
// plain. And art of 400 and 1,000 columns of a photo, in its colors and
// plain.
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <filesystem>
#include <fstream>

#include <malloc.h>

#include "bench_pictures.h"
#include "dialog_seam.h"
#include "frm_main.h"
#include "morvexa/convert_picture.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"

namespace morvexa {
namespace {

constexpr unsigned kSide = 4096, kColoredSide = 1024;

std::string WritePicture(unsigned side) {
  const auto bytes = bench::BenchBmp("photo", side);
  const auto file = std::filesystem::temp_directory_path() / ("morvexa-window-bench-" + std::to_string(side) + ".bmp");
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return file.string();
}

const std::string& PictureFile() {
  static const std::string path = WritePicture(kSide);
  return path;
}

QApplication& App() {
  static int argc = 1;
  static char name[] = "window_picture_bench";
  static char* argv[] = {name, nullptr};
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The conversion settings at their defaults, whatever the user's are.
  qputenv("XDG_CONFIG_HOME",
          QByteArray::fromStdString((std::filesystem::temp_directory_path() / "morvexa-window-bench-config").string()));
  // Left to the end of the process, like the program's own.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// Answers every file dialog with a picture and shows nothing.
class AnswerPicture final : public DialogSeam {
 public:
  explicit AnswerPicture(std::string picture = PictureFile()) : picture_(std::move(picture)) {}
  void ShowMessage(QWidget*, const QString& text, const QString&, MessageIcon) override { failure = text; }
  QString Execute(QFileDialog&) override { return QString::fromStdString(picture_); }
  void ShowModal(QDialog&) override {}
  SaveChoice AskToSave(QWidget*) override { return SaveChoice::DontSave; }
  QString failure;

 private:
  std::string picture_;
};

void BM_PictureConversion(benchmark::State& state) {
  App();
  AnswerPicture dialogs;
  Tfrmmain window(dialogs);
  window.show();
  auto* button = window.findChild<QAbstractButton*>("BitBtn1");
  auto* memo = window.findChild<QPlainTextEdit*>("Memo1");
  for (auto _ : state) {
    button->click();
    QCoreApplication::processEvents();  // the output area laid out and painted
    memo->repaint();
  }
  if (!dialogs.failure.isEmpty() || memo->document()->blockCount() != static_cast<int>(kSide) + 1) {
    state.SkipWithError("the picture did not reach the output area");
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_PictureConversion)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_PictureConversion_Baseline(benchmark::State& state) {
  for (auto _ : state) {
    MemoryArtArea area;
    MemoryCharList list;
    ConvertPicture(Picture::Open(PictureFile()), {}, list, area);
    benchmark::DoNotOptimize(area.LineCount());
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_PictureConversion_Baseline)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void ColoredArt(benchmark::State& state, bool colors) {
  App();
  static const std::string picture = WritePicture(kColoredSide);
  AnswerPicture dialogs(picture);
  Tfrmmain window(dialogs);
  window.ColorToggle().setChecked(colors);
  window.show();
  auto* button = window.findChild<QAbstractButton*>("BitBtn1");
  auto* memo = window.findChild<QPlainTextEdit*>("Memo1");
  bool colored = !colors;
  for (auto _ : state) {
    button->click();
    QCoreApplication::processEvents();
    memo->repaint();
    // A few screens down, each painted.
    for (int page = 0; page < 4; ++page) {
      memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->value() + memo->viewport()->height() / 12);
      QCoreApplication::processEvents();
      memo->repaint();
    }
    colored = colored || !memo->cursorForPosition({0, 0}).block().layout()->formats().isEmpty();
  }
  if (!dialogs.failure.isEmpty() || !colored) state.SkipWithError("the art was not shown in colors");
  window.ColorToggle().setChecked(false);
  state.SetItemsProcessed(state.iterations() * kColoredSide * kColoredSide);
}
void BM_ColoredArt(benchmark::State& state) { ColoredArt(state, true); }
void BM_ColoredArt_Baseline(benchmark::State& state) { ColoredArt(state, false); }
BENCHMARK(BM_ColoredArt)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_ColoredArt_Baseline)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// Art of 400 and 1,000 columns drawn by shapes from the 4096 x 4096 photo,
// as a launcher asks for it (morvexa --width N --shapes PICTURE), shown in
// its colors beside the same art shown plain.
void PhotoArt(benchmark::State& state, bool colors) {
  App();
  AnswerPicture dialogs;
  Tfrmmain window(dialogs);
  window.ColorToggle().setChecked(colors);
  window.show();
  auto* memo = window.findChild<QPlainTextEdit*>("Memo1");
  PictureOptions options;
  options.width = static_cast<std::size_t>(state.range(0));
  options.way = Shapes{};
  bool colored = !colors;
  for (auto _ : state) {
    window.ConvertPictureCommand(QString::fromStdString(PictureFile()), options);
    QCoreApplication::processEvents();
    memo->repaint();
    colored = colored || !memo->cursorForPosition({0, 0}).block().layout()->formats().isEmpty();
  }
  // The heap the window holds with the art shown: its text, its colors,
  // and the laid-out lines on the screen.
  const struct mallinfo2 heap = mallinfo2();
  state.counters["heap_MB"] = static_cast<double>(heap.uordblks + heap.hblkhd) / (1 << 20);
  if (!dialogs.failure.isEmpty() || !colored) state.SkipWithError("the art was not shown in colors");
  window.ColorToggle().setChecked(false);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
void BM_ColoredPhotoArt(benchmark::State& state) { PhotoArt(state, true); }
void BM_ColoredPhotoArt_Baseline(benchmark::State& state) { PhotoArt(state, false); }
BENCHMARK(BM_ColoredPhotoArt)->Arg(400)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_ColoredPhotoArt_Baseline)->Arg(400)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

}  // namespace
}  // namespace morvexa
