// Decoding and converting a 4096 x 4096 24-bit picture, in pixels per
// second, for a photograph-like picture with many colors and a drawing
// with four. The baseline reads the same bytes once.
#include <benchmark/benchmark.h>

#include <cstring>
#include <unordered_set>

#include "bench_pictures.h"
#include "bmp_decoder.h"
#include "memory_art_area.h"
#include "memory_char_list.h"
#include "picture_to_asc.h"

namespace morvexa {
namespace {

const std::vector<unsigned char>& File(const std::string& kind) {
  static const std::vector<unsigned char> photo = bench::BenchBmp("photo");
  static const std::vector<unsigned char> four = bench::BenchBmp("four");
  return kind == "photo" ? photo : four;
}

void Label(benchmark::State& state, const std::string& kind) {
  const PixelImage image = DecodeBmp(File(kind));
  const std::size_t pixels = image.width * image.height;
  const std::unordered_set<Rgb> colors(image.pixels.get(), image.pixels.get() + pixels);
  state.counters["colors"] = static_cast<double>(colors.size());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pixels));
}

void BM_DecodeAndConvert(benchmark::State& state, const std::string& kind) {
  const auto& file = File(kind);
  for (auto _ : state) {
    MemoryArtArea area;
    MemoryCharList list;
    PictureToAsc(DecodeBmp(file), list, area);
    benchmark::DoNotOptimize(area.LineCount());
  }
  Label(state, kind);
}
BENCHMARK_CAPTURE(BM_DecodeAndConvert, photo, std::string("photo"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeAndConvert, four, std::string("four"))->Unit(benchmark::kMillisecond);

void BM_DecodeAndConvert_Baseline(benchmark::State& state, const std::string& kind) {
  const auto& file = File(kind);
  for (auto _ : state) {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i + 8 <= file.size(); i += 8) {
      std::uint64_t word;
      std::memcpy(&word, file.data() + i, 8);
      sum += word;
    }
    benchmark::DoNotOptimize(sum);
  }
  Label(state, kind);
}
BENCHMARK_CAPTURE(BM_DecodeAndConvert_Baseline, photo, std::string("photo"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeAndConvert_Baseline, four, std::string("four"))->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvexa
