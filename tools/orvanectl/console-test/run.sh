#!/usr/bin/env bash
# The console's browser test on a fresh sample machine:
#   run.sh BUILD_DIR            the walk through the pages (screenshots in
#                               BUILD_DIR/console-screenshots/)
#   run.sh BUILD_DIR --bench N  N instances listed: the page's rendering time
#                               against `orvanectl --json list`, and their ratio
# With CONSOLE_MACHINE=DIR the walk runs on a copy of that machine (the one
# that tools/demo.sh leaves, say) instead of a fresh sample machine.
# It starts `orvanectl serve` on a free port of loopback, reads the address it
# prints, runs the test in headless Chromium and stops the server. Any
# failure fails the script.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run.sh BUILD_DIR [--bench N]}" && pwd)
mode=${2:-}
count=${3:-1000}
ctl=$build/tools/orvanectl/orvanectl
shots=$build/console-screenshots
[ -x "$ctl" ] || { echo "no orvanectl in $build" >&2; exit 1; }
[ -d "$here/node_modules/puppeteer-core" ] || { echo "run npm ci in $here first" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/console-test-XXXXXX")
server=
stop() {
  [ -z "$server" ] || kill "$server" 2>/dev/null || true
  [ -z "$server" ] || wait "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap stop EXIT
machine=$work/machine
if [ -n "${CONSOLE_MACHINE:-}" ]; then
  cp -a "$CONSOLE_MACHINE" "$machine"
else
  "$ctl" --machine "$machine" machine init --sample >/dev/null
fi

if [ "$mode" = --bench ]; then
  # Instances s0001... on hosts of their own that the machine's hosts file resolves.
  hosts=$(find "$machine" -ipath '*/drivers/etc/hosts' | head -1)
  for i in $(seq 1 "$count"); do
    printf '10.2.%d.%d\ts%04d.example\r\n' $((i / 250)) $((i % 250 + 1)) "$i"
  done >>"$hosts"
  for i in $(seq -f %04g 1 "$count"); do
    "$ctl" --machine "$machine" -q add "s$i" --host "s$i.example"
  done
fi

mkfifo "$work/url"
"$ctl" --machine "$machine" serve --listen 127.0.0.1:0 >"$work/url" &
server=$!
read -r line <"$work/url"
url=${line#orvane console: }
# The address it printed must be the loopback one it was told to listen on.
case ${url#*://} in 127.0.0.1:*) ;; *) echo "serve printed: $line" >&2; exit 1 ;; esac

if [ "$mode" = --bench ]; then
  # The command line's own time for the same list, as the baseline.
  rounds=3
  list_times=()
  for _ in $(seq "$rounds"); do
    start=$(date +%s.%N)
    "$ctl" --machine "$machine" --json list >/dev/null
    list_times+=("$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')")
  done
  list=$(printf '%s\n' "${list_times[@]}" | sort -n | sed -n "$(( (rounds + 1) / 2 ))p")
  result=$(ROUNDS=$rounds node "$here/console.test.js" "$url" "$shots" --bench)
  render=$(echo "$result" | sed -n 's/.*"render_seconds":\([0-9.e-]*\).*/\1/p')
  listed=$(echo "$result" | sed -n 's/.*"instances":\([0-9]*\).*/\1/p')
  [ "$listed" = "$count" ] || { echo "the page listed $listed of $count instances" >&2; exit 1; }
  printf 'console list of %d instances: rendered in %.3f s; orvanectl --json list %.3f s; ratio %.2f (target: under 1 s)\n' \
    "$count" "$render" "$list" "$(awk -v a="$render" -v b="$list" 'BEGIN { print a / b }')"
else
  node "$here/console.test.js" "$url" "$shots"
  echo "screenshots in $shots"
fi
