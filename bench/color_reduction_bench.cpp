// Reducing the colors of the cells of sized art (160 x 60, as 160 columns
// of a photograph make) on a busy machine: two threads spin throughout, as
// other programs would. The figure reduces such small pictures on one
// thread; the baseline lets libimagequant start its OpenMP threads, as it
// does by itself. In pixels a second.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "convert/color_reduction.h"

namespace morvexa {
namespace {

PixelImage Cells() {
  PixelImage image(160, 60);
  for (std::size_t y = 0; y < 60; ++y) {
    for (std::size_t x = 0; x < 160; ++x) {
      const double t = static_cast<double>(x) / 20.0, u = static_cast<double>(y) / 9.0;
      const auto channel = [](double v) { return static_cast<Rgb>(127.5 + 127.5 * std::sin(v)); };
      image.Row(y)[x] = channel(t + u) << 16 | channel(2 * t - u) << 8 | channel(t * u / 3);
    }
  }
  return image;
}

// Threads that keep the cores busy while they live.
class Busy {
 public:
  explicit Busy(unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
      threads_.emplace_back([this] {
        while (!stop_.load(std::memory_order_relaxed)) {
        }
      });
    }
  }
  ~Busy() {
    stop_ = true;
    for (std::thread& thread : threads_) thread.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::vector<std::thread> threads_;
};

void Reduce(benchmark::State& state, bool allThreads) {
  const PixelImage cells = Cells();
  PixelRows rows(cells);
  const Busy busy(2);
  for (auto _ : state) benchmark::DoNotOptimize(ReduceColors(rows, 32, false, allThreads));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(cells.width * cells.height));
}

void BM_ReduceFewCellsBusy(benchmark::State& state) { Reduce(state, false); }
void BM_ReduceFewCellsBusy_Baseline(benchmark::State& state) { Reduce(state, true); }

BENCHMARK(BM_ReduceFewCellsBusy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReduceFewCellsBusy_Baseline)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace morvexa
