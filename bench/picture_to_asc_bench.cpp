// Reading and converting pictures from files, in pixels per second, at
// sides of 1024 to 8192 and for each kind of bench picture: the cost per
// pixel should not grow with the side or the number of colors. The art
// goes nowhere (the lines are counted), as the command line streams it
// out. The baseline reads the same file in the same bands and does nothing
// with the bytes: the floor set by reading.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench_pictures.h"
#include "convert/picture_to_asc.h"
#include "decode/open_picture.h"
#include "files/file_bytes.h"
#include "morvexa/memory_char_list.h"

namespace morvexa {
namespace {

namespace fs = std::filesystem;

// Counts the lines and keeps nothing.
class CountingSink final : public ArtSink {
 public:
  void Clear() override { lines_ = 0; }
  void WriteLine(std::size_t, ByteStringView line) override {
    ++lines_;
    benchmark::DoNotOptimize(line.data());
  }
  std::size_t LineCount() const { return lines_; }

 private:
  std::size_t lines_ = 0;
};

void BM_Picture(benchmark::State& state, const std::string& kind) {
  const auto side = static_cast<unsigned>(state.range(0));
  const fs::path& file = bench::BenchBmpFile(kind, side);
  for (auto _ : state) {
    CountingSink area;
    MemoryCharList list;
    const auto picture = OpenPicture(file);
    PictureToAsc(*picture, list, area);
    if (area.LineCount() != side) state.SkipWithError("not every line was written");
  }
  state.SetItemsProcessed(state.iterations() * side * side);
}

void BM_Picture_Baseline(benchmark::State& state, const std::string& kind) {
  const auto side = static_cast<unsigned>(state.range(0));
  const fs::path& file = bench::BenchBmpFile(kind, side);
  std::vector<unsigned char> band(256 * 1024);
  for (auto _ : state) {
    const FileBytes bytes = FileBytes::Open(file);
    for (std::uint64_t at = 0; at < bytes.Size(); at += band.size()) {
      benchmark::DoNotOptimize(bytes.ReadSome(at, band));
    }
  }
  state.SetItemsProcessed(state.iterations() * side * side);
}

void Sides(benchmark::internal::Benchmark* b) {
  for (int side : {1024, 2048, 4096, 8192}) b->Arg(side);
  b->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK_CAPTURE(BM_Picture, photo, std::string("photo"))->Apply(Sides);
BENCHMARK_CAPTURE(BM_Picture_Baseline, photo, std::string("photo"))->Apply(Sides);
BENCHMARK_CAPTURE(BM_Picture, four, std::string("four"))->Apply(Sides);
BENCHMARK_CAPTURE(BM_Picture_Baseline, four, std::string("four"))->Apply(Sides);
BENCHMARK_CAPTURE(BM_Picture, paletted, std::string("paletted"))->Apply(Sides);
BENCHMARK_CAPTURE(BM_Picture_Baseline, paletted, std::string("paletted"))->Apply(Sides);
BENCHMARK_CAPTURE(BM_Picture, rle8, std::string("rle8"))->Apply(Sides);
BENCHMARK_CAPTURE(BM_Picture_Baseline, rle8, std::string("rle8"))->Apply(Sides);

}  // namespace
}  // namespace morvexa
