#!/usr/bin/env bash
# The web console's row: the instance list of N instances (default 1,000)
# rendered in headless Chromium, against `orvanectl --json list` of the same
# machine, both in the same run.
#   bench/console.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target orvanectl
exec tools/orvanectl/console-test/run.sh build/default --bench "${1:-1000}"
