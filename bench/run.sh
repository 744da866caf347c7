#!/usr/bin/env bash
# Builds the benchmarks and prints, for every row, the library's time against
# the tool a user would use instead, measured in the same run.
#   bench/run.sh                          every row, as long as each needs
#   bench/run.sh --benchmark_filter=Load  some rows
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target orvane_bench
exec build/default/bench/orvane_bench "$@"
