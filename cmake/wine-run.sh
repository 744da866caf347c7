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
# No Mono or Gecko installer dialogs, and no display: a message box fails at
# once instead of waiting for a click.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset DISPLAY WAYLAND_DISPLAY

(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-run: creating the Wine prefix $WINEPREFIX" >&2
    wine wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
    # The registry reaches the prefix's files only when the server ends.
    wineserver -w 9>&-
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-run: wineboot failed" >&2; exit 1; }
  fi
  # Starting the server and Wine's own services (services.exe, explorer and
  # the like) takes seconds, and a test suite runs one program per test: the
  # server is kept for a while after the last program ends. The services are
  # started here, with no output, because they would inherit the program's
  # output and keep the test runner waiting on it until they end. When a
  # server runs already, wineserver leaves at once with an error.
  # Nothing started here may inherit the lock.
  if wineserver -p"${ORVANE_WINESERVER_LINGER:-30}" </dev/null >/dev/null 2>&1 9>&-; then
    wine cmd /c exit 0 </dev/null >/dev/null 2>&1 9>&- || true
  fi
) 9>"$WINEPREFIX.lock"

# Under the test preset (ORVANE_WINE_TEST set) a test program ends with 0 or
# 1; any other status is Wine's own failure (a server that went away, a loader
# that could not start), said here because Wine may say nothing. The preset
# runs a failed test once more.
status=0
wine "$@" || status=$?
if [ -n "${ORVANE_WINE_TEST:-}" ] && [ "$status" -gt 1 ]; then
  echo "wine-run: wine ended with status $status running $*" >&2
fi
exit "$status"
