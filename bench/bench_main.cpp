// Runs the benchmarks, then prints each figure beside its in-run baseline,
// the benchmark of the same name with "_Baseline" after its first part
// (the median of the repetitions, when there are several), or failing
// that the baseline with fewer of the last parts of the name.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

class BaselineReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    // With --benchmark_repetitions the median stands for the benchmark.
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type != Run::RT_Iteration && !median) continue;
      for (const char* counter : {"bytes_per_second", "items_per_second"}) {
        if (auto it = run.counters.find(counter); it != run.counters.end()) {
          rates_[run.run_name.str()] = {it->second.value, counter};
          break;
        }
      }
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-44s %16s %16s %8s\n", "benchmark", "rate", "baseline", "ratio");
    for (const auto& [name, rate] : rates_) {
      const auto cut = name.find("_Baseline");
      if (cut != std::string::npos) continue;
      const auto slash = name.find('/');
      const std::string head = name.substr(0, slash);
      std::string tail = slash == std::string::npos ? "" : name.substr(slash);
      auto baseline = rates_.find(head + "_Baseline" + tail);
      // Several figures may share a baseline: BM_X/a/b, BM_X/a/c and BM_X_Baseline/a.
      while (baseline == rates_.end() && !tail.empty()) {
        tail.erase(tail.rfind('/'));
        baseline = rates_.find(head + "_Baseline" + tail);
      }
      const char* unit = rate.second[0] == 'b' ? "MB/s" : "M/s";
      if (baseline == rates_.end()) {
        std::printf("%-44s %11.1f %-4s %16s %8s\n", name.c_str(), rate.first / 1e6, unit, "-", "-");
      } else {
        std::printf("%-44s %11.1f %-4s %11.1f %-4s %7.2fx\n", name.c_str(), rate.first / 1e6, unit,
                    baseline->second.first / 1e6, unit, rate.first / baseline->second.first);
      }
    }
  }

 private:
  std::map<std::string, std::pair<double, std::string>> rates_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  BaselineReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
