// What every benchmark row shares.
//
// A row is a pair of Google Benchmark cases timed on the wall clock: the
// library's operation ("<row>/orvane") and the tool a user would use instead
// ("<row>/baseline"), usually a shell command. After the run the program
// prints, for every row, the ratio of the two times and the row's target.
#ifndef ORVANE_BENCH_BENCHSUPPORT_H_
#define ORVANE_BENCH_BENCHSUPPORT_H_

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

namespace orvane::bench {

using Case = std::function<void(benchmark::State&)>;

// Registers one row; target is the ratio orvane/baseline that the row must
// not exceed. Call it from a static initialiser of a *_bench.cpp file:
//   const bool registered = (RegisterRow("Store 1000", 3.0, lib, cp), true);
void RegisterRow(const std::string& row, double target, Case orvane, Case baseline);

// Registers a row that has no baseline tool, only a budget: its case
// ("<row>/orvane") must take at most targetSeconds. Printed with the ratios
// as its time in seconds beside the budget.
void RegisterTimedRow(const std::string& row, double targetSeconds, Case orvane);

// Runs a command through /bin/sh; a non-zero exit ends the case with an error.
void RunCommand(benchmark::State& state, const std::string& command);

// A text as one argument of /bin/sh: in single quotes.
std::string ShellQuote(const std::string& text);

// A count of instances or records for a row: as given, or a fiftieth of it
// (at least 1) in the smoke run (ORVANE_BENCH_SMOKE set), which only checks
// that every row still runs.
int RowSize(int count);

// A fresh emulated machine in a temporary folder, named by ORVANE_MACHINE
// while it lives, with C:\WINNT\system32 and an empty registry; removed with
// everything in it at the end.
class ScratchMachine {
 public:
  // kMemory keeps the machine in /dev/shm where there is one: for rows that
  // time a program's own work, not how long the shared disk takes to flush.
  enum class Storage { kTemporary, kMemory };

  explicit ScratchMachine(Storage storage = Storage::kTemporary);
  ~ScratchMachine();
  ScratchMachine(const ScratchMachine&) = delete;
  ScratchMachine& operator=(const ScratchMachine&) = delete;

  const std::string& root() const { return m_root; }
  // The host path of a Windows path on this machine ("C:\a\b" gives
  // "<root>/drive_c/a/b"); components are taken as spelt.
  std::string HostPath(const std::string& windowsPath) const;
  // Writes bytes exactly as given, creating the folders on the way.
  void WriteFile(const std::string& windowsPath, const std::string& bytes) const;

 private:
  std::string m_root;
};

}  // namespace orvane::bench

#endif  // ORVANE_BENCH_BENCHSUPPORT_H_
