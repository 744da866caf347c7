// Runs every registered row and prints the ratio of the library's time to
// its baseline's, beside the row's target.
#include <benchmark/benchmark.h>

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

// Console output as usual, and the mean wall time of each case kept by name.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      m_seconds[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
  }
  const std::map<std::string, double>& seconds() const { return m_seconds; }

 private:
  std::map<std::string, double> m_seconds;
};

void PrintRatios(const std::map<std::string, double>& seconds) {
  std::printf("\n%-60s %10s %8s\n", "row", "ratio", "target");
  for (const Row& row : Rows()) {
    auto orvane = seconds.find(row.name + "/orvane");
    auto baseline = seconds.find(row.name + "/baseline");
    if (row.timed && orvane != seconds.end()) {
      std::printf("%-60s %9.2fs %7.2fs%s\n", row.name.c_str(), orvane->second, row.target,
                  orvane->second > row.target ? "  over target" : "");
      continue;
    }
    if (orvane == seconds.end() || baseline == seconds.end() || baseline->second <= 0) {
      std::printf("%-60s %10s %8.2f\n", row.name.c_str(), "-", row.target);
      continue;
    }
    double ratio = orvane->second / baseline->second;
    std::printf("%-60s %10.2f %8.2f%s\n", row.name.c_str(), ratio, row.target,
                ratio > row.target ? "  over target" : "");
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
