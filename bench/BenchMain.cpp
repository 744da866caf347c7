// Runs every registered row and prints the ratio of the library's time to
// its baseline's (the medians of the repetitions, with the range of the
// repetitions' own ratios), beside the row's target.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"

namespace orvane::bench {
namespace {

struct Row {
  std::string name;
  double target;
  bool timed;  // target in seconds, no baseline
};

std::vector<Row>& Rows() {
  static std::vector<Row> rows;
  return rows;
}

// Console output as usual, and the wall time of every repetition of each
// case kept by name.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      m_seconds[run.run_name.function_name].push_back(run.GetAdjustedRealTime());
    }
  }
  const std::map<std::string, std::vector<double>>& seconds() const { return m_seconds; }

 private:
  std::map<std::string, std::vector<double>> m_seconds;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The ratio of the medians, and the spread of the ratios of the repetitions
// taken pairwise (the n-th of one case against the n-th of the other).
struct Ratio {
  double median;
  double lowest;
  double highest;
};

Ratio RatioOf(const std::vector<double>& orvane, const std::vector<double>& baseline) {
  Ratio ratio{Median(orvane) / Median(baseline), 0, 0};
  std::vector<double> pairs;
  for (size_t i = 0; i < orvane.size() && i < baseline.size(); ++i) {
    if (baseline[i] > 0) pairs.push_back(orvane[i] / baseline[i]);
  }
  if (!pairs.empty()) {
    ratio.lowest = *std::min_element(pairs.begin(), pairs.end());
    ratio.highest = *std::max_element(pairs.begin(), pairs.end());
  }
  return ratio;
}

void PrintRatios(const std::map<std::string, std::vector<double>>& seconds) {
  std::printf("\n%-64s %10s %17s %8s\n", "row", "ratio", "runs' range", "target");
  for (const Row& row : Rows()) {
    auto orvane = seconds.find(row.name + "/orvane");
    auto baseline = seconds.find(row.name + "/baseline");
    if (row.timed && orvane != seconds.end()) {
      const std::vector<double>& times = orvane->second;
      const double median = Median(times);
      std::printf("%-64s %9.2fs %7.2fs-%7.2fs %7.2fs%s\n", row.name.c_str(), median,
                  *std::min_element(times.begin(), times.end()),
                  *std::max_element(times.begin(), times.end()), row.target,
                  median > row.target ? "  over target" : "");
      continue;
    }
    if (orvane == seconds.end() || baseline == seconds.end() || Median(baseline->second) <= 0) {
      std::printf("%-64s %10s %17s %8.2f\n", row.name.c_str(), "-", "", row.target);
      continue;
    }
    const Ratio ratio = RatioOf(orvane->second, baseline->second);
    std::printf("%-64s %10.2f %8.2f-%8.2f %8.2f%s\n", row.name.c_str(), ratio.median,
                ratio.lowest, ratio.highest, row.target,
                ratio.median > row.target ? "  over target" : "");
  }
}

}  // namespace

void RegisterRow(const std::string& row, double target, Case orvane, Case baseline) {
  Rows().push_back({row, target, false});
  benchmark::RegisterBenchmark((row + "/orvane").c_str(), orvane)->UseRealTime();
  benchmark::RegisterBenchmark((row + "/baseline").c_str(), baseline)->UseRealTime();
}

void RegisterTimedRow(const std::string& row, double targetSeconds, Case orvane) {
  Rows().push_back({row, targetSeconds, true});
  // Reported in seconds, so that its time compares with the budget.
  benchmark::RegisterBenchmark((row + "/orvane").c_str(), orvane)
      ->UseRealTime()
      ->Unit(benchmark::kSecond);
}

}  // namespace orvane::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  orvane::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  orvane::bench::PrintRatios(reporter.seconds());
  benchmark::Shutdown();
  return 0;
}
