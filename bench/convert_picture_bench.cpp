// Sizing and reducing the colors of pictures, in pixels of the picture per
// second: a photograph (over 100,000 colors) and a drawing of four, at
// sides of 1024 to 4096, made 200 columns wide with 32 colors, and drawn
// with a brightness ramp. The cost should grow with the pixels and stay
// flat in the number of colors. The baseline reads the same file.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench_pictures.h"
#include "decode/open_picture.h"
#include "files/file_bytes.h"
#include "morvexa/convert_picture.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"

namespace morvexa {
namespace {

namespace fs = std::filesystem;

void Run(benchmark::State& state, const std::string& kind, const PictureOptions& options) {
  const auto side = static_cast<unsigned>(state.range(0));
  const fs::path& file = bench::BenchBmpFile(kind, side);
  for (auto _ : state) {
    MemoryArtArea area;
    MemoryCharList list;
    ConvertPicture(Picture::Open(file), options, list, area);
    benchmark::DoNotOptimize(area.LineCount());
  }
  state.SetItemsProcessed(state.iterations() * side * side);
}

PictureOptions Reduced() {
  PictureOptions options;
  options.width = 200;
  options.way = ReducedColors{32};
  return options;
}

PictureOptions RampOptions() {
  PictureOptions options;
  options.width = 200;
  options.way = morvexa::Ramp{};
  return options;
}

void BM_SizedReduced(benchmark::State& state, const std::string& kind) { Run(state, kind, Reduced()); }
void BM_SizedRamp(benchmark::State& state, const std::string& kind) { Run(state, kind, RampOptions()); }

void ReadOnly(benchmark::State& state, const std::string& kind) {
  const auto side = static_cast<unsigned>(state.range(0));
  const fs::path& file = bench::BenchBmpFile(kind, side);
  std::vector<unsigned char> band(256 * 1024);
  for (auto _ : state) {
    const FileBytes bytes = FileBytes::Open(file);
    for (std::uint64_t at = 0; at < bytes.Size(); at += band.size()) benchmark::DoNotOptimize(bytes.ReadSome(at, band));
  }
  state.SetItemsProcessed(state.iterations() * side * side);
}

void Sides(benchmark::internal::Benchmark* b) {
  for (int side : {1024, 2048, 4096}) b->Arg(side);
  b->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK_CAPTURE(BM_SizedReduced, photo, std::string("photo"))->Apply(Sides);
BENCHMARK_CAPTURE(BM_SizedReduced, four, std::string("four"))->Apply(Sides);
BENCHMARK_CAPTURE(BM_SizedRamp, photo, std::string("photo"))->Apply(Sides);
BENCHMARK_CAPTURE(BM_SizedRamp, four, std::string("four"))->Apply(Sides);
void BM_SizedReduced_Baseline(benchmark::State& state, const std::string& kind) { ReadOnly(state, kind); }
void BM_SizedRamp_Baseline(benchmark::State& state, const std::string& kind) { ReadOnly(state, kind); }
BENCHMARK_CAPTURE(BM_SizedReduced_Baseline, photo, std::string("photo"))->Apply(Sides);
BENCHMARK_CAPTURE(BM_SizedReduced_Baseline, four, std::string("four"))->Apply(Sides);
BENCHMARK_CAPTURE(BM_SizedRamp_Baseline, photo, std::string("photo"))->Apply(Sides);
BENCHMARK_CAPTURE(BM_SizedRamp_Baseline, four, std::string("four"))->Apply(Sides);

}  // namespace
}  // namespace morvexa
