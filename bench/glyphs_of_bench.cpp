// Art matched to the glyphs of the font it will be read in: measuring a
// font's 95 printable ASCII glyphs, in fonts measured a second (goal: 20 ms
// or less each, done once a process), beside drawing the same glyphs from
// it as a banner does; and a picture drawn with --shapes matched to a
// font's glyphs once measured, in pixels of the picture a second, beside
// the same matched to the built-in font's (goal: within 5%).
#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>

#include "bench_pictures.h"
#include "convert/symbol_glyphs.h"
#include "morvexa/convert_picture.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"
#include "text/font_glyph_source.h"

namespace morvexa {
namespace {

constexpr const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
constexpr int kPixels = 14;

void BM_MeasureFont(benchmark::State& state) {
  std::array<float, SymbolGlyphs::kPixels> coverage{};
  for (auto _ : state) {
    FontGlyphSource font = FontGlyphSource::Open(kFont, kPixels);
    for (char32_t c = 0x20; c < 0x7F; ++c) {
      benchmark::DoNotOptimize(font.CellCoverage(c, SymbolGlyphs::kWidth, SymbolGlyphs::kHeight, coverage.data()));
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MeasureFont)->Unit(benchmark::kMillisecond);

// The same font opened and its 95 glyphs drawn, as a banner in it would.
void BM_MeasureFont_Baseline(benchmark::State& state) {
  for (auto _ : state) {
    FontGlyphSource font = FontGlyphSource::Open(kFont, kPixels);
    for (char32_t c = 0x20; c < 0x7F; ++c) benchmark::DoNotOptimize(font.Find(c));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MeasureFont_Baseline)->Unit(benchmark::kMillisecond);

void DrawShapes(benchmark::State& state, const std::string& font) {
  const std::filesystem::path& file = bench::BenchBmpFile("photo", 2048);
  PictureOptions options;
  options.width = 160;
  options.way = Shapes{};
  options.glyphs.font = font;
  for (auto _ : state) {
    MemoryArtArea area;
    MemoryCharList list;
    ConvertPicture(Picture::Open(file), options, list, area);
    benchmark::DoNotOptimize(area.LineCount());
  }
  state.SetItemsProcessed(state.iterations() * 2048 * 2048);
}

void BM_ShapesOfAFont(benchmark::State& state) { DrawShapes(state, kFont); }
BENCHMARK(BM_ShapesOfAFont)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_ShapesOfAFont_Baseline(benchmark::State& state) { DrawShapes(state, ""); }
BENCHMARK(BM_ShapesOfAFont_Baseline)->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace
}  // namespace morvexa
