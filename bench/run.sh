#!/usr/bin/env bash
# Builds the benchmarks and prints, for every row, the library's time against
# the tool a user would use instead, measured in the same run. Repetitions
# of the cases are interleaved, so that a row's two cases share the load of a
# busy machine rather than each taking a stretch of its own.
#   bench/run.sh                          every row, as long as each needs
#   bench/run.sh --benchmark_filter=Load  some rows
#   bench/run.sh --benchmark_repetitions=5 --benchmark_filter=orvanectl
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target orvane_bench
exec build/default/bench/orvane_bench --benchmark_enable_random_interleaving=true "$@"
