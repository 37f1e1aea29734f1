// Fitting cells with shapes and two colors, in cells a second: the 95
// printable ASCII glyphs (--shapes --fill) and the fine blocks' elements
// (the first look), in true color and at 256 and 16 colors, on cells of a
// photograph-like picture. The baseline reads each cell's samples and sums
// them, the least any fit does.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "convert/block_elements.h"
#include "convert/cell_fit.h"
#include "convert/symbol_glyphs.h"

namespace morvexa {
namespace {

constexpr int kCells = 4096;

// Cells of smooth tones with edges and a little noise, as photographs have.
std::vector<std::array<float, kFitSamples>> Cells(int channel) {
  std::mt19937 random(static_cast<unsigned>(7 + channel));
  std::normal_distribution<float> noise(0, 6);
  std::vector<std::array<float, kFitSamples>> cells(kCells);
  for (int k = 0; k < kCells; ++k) {
    const float base = 60.0f + 120.0f * static_cast<float>((k * 37 + channel * 11) % 97) / 97;
    const float edge = (k % 3 == 0) ? 80.0f : 0.0f;
    for (int i = 0; i < kFitSamples; ++i) {
      const int x = i % 8, y = i / 8;
      cells[k][i] = std::round(
          std::clamp(base + (x + y > 10 ? edge : 0.0f) + 2.0f * static_cast<float>(y) + noise(random), 0.0f, 255.0f));
    }
  }
  return cells;
}

std::vector<FitShape> Glyphs() {
  const SymbolGlyphs& glyphs = SymbolGlyphs::Get();
  std::vector<FitShape> shapes(SymbolGlyphs::kCount);
  for (std::size_t k = 0; k < shapes.size(); ++k) {
    for (std::size_t i = 0; i < kFitSamples; ++i) shapes[k][i] = glyphs.ink[k][i];
  }
  return shapes;
}

std::vector<FitShape> Blocks() {
  std::vector<FitShape> shapes;
  for (const char32_t c : kByQuarters) {
    FitShape shape{};
    for (int i = 0; i < kFitSamples; ++i) shape[static_cast<std::size_t>(i)] = BlockInks(c, i % 8, i / 8, 8, 16);
    shapes.push_back(shape);
  }
  for (int k = 1; k < 8; ++k) {
    for (const char32_t c : {kLowerEighths[k], kLeftEighths[k]}) {
      FitShape shape{};
      for (int i = 0; i < kFitSamples; ++i) shape[static_cast<std::size_t>(i)] = BlockInks(c, i % 8, i / 8, 8, 16);
      shapes.push_back(shape);
    }
  }
  return shapes;
}

const TerminalPalette kPalettes[] = {
    {TerminalColors::TrueColor}, {TerminalColors::Palette256}, {TerminalColors::Palette16}};

void Fit(benchmark::State& state, const std::vector<FitShape>& shapes) {
  static const auto red = Cells(0), green = Cells(1), blue = Cells(2);
  CellFit fit(shapes, kPalettes[state.range(0)]);
  for (auto _ : state) {
    for (int k = 0; k < kCells; ++k) benchmark::DoNotOptimize(fit.Fit(red[k].data(), green[k].data(), blue[k].data()));
  }
  state.SetItemsProcessed(state.iterations() * kCells);
}

void BM_FitGlyphs(benchmark::State& state) { Fit(state, Glyphs()); }
BENCHMARK(BM_FitGlyphs)->Arg(0)->Arg(1)->Arg(2);
void BM_FitBlocks(benchmark::State& state) { Fit(state, Blocks()); }
BENCHMARK(BM_FitBlocks)->Arg(0)->Arg(1)->Arg(2);

void SumOnly(benchmark::State& state) {
  static const auto red = Cells(0), green = Cells(1), blue = Cells(2);
  for (auto _ : state) {
    for (int k = 0; k < kCells; ++k) {
      float sum = 0;
      for (int i = 0; i < kFitSamples; ++i) sum += red[k][i] + green[k][i] + blue[k][i];
      benchmark::DoNotOptimize(sum);
    }
  }
  state.SetItemsProcessed(state.iterations() * kCells);
}
void BM_FitGlyphs_Baseline(benchmark::State& state) { SumOnly(state); }
BENCHMARK(BM_FitGlyphs_Baseline);
void BM_FitBlocks_Baseline(benchmark::State& state) { SumOnly(state); }
BENCHMARK(BM_FitBlocks_Baseline);

}  // namespace
}  // namespace morvexa
