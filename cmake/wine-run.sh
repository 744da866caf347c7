#!/usr/bin/env bash
# Runs a Windows program under Wine, in a Wine prefix kept beside the program
# ("<build dir>/wineprefix"), so that tests never touch the user's own ~/.wine.
# The prefix is made on first use; concurrent callers wait for it.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM.exe [ARGS...]" >&2
  exit 2
fi

program_dir=$(cd "$(dirname "$1")" && pwd)
export WINEPREFIX=${ORVANE_WINEPREFIX:-$program_dir/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialogs, and no display needed.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset DISPLAY WAYLAND_DISPLAY

(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-run: creating the Wine prefix $WINEPREFIX" >&2
    wine wineboot -i >/dev/null 2>&1 || true
    # The registry reaches the prefix's files only when the server ends.
    wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-run: wineboot failed" >&2; exit 1; }
  fi
) 9>"$WINEPREFIX.lock"

exec wine "$@"
