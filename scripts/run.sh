#!/usr/bin/env bash
# Starts tarnwick.exe under Wine in the build's prefix. With a display it uses that display;
# without one it starts a virtual one with Wine's desktop, taskbar and notification area, writes
# a screenshot of the running program into the build folder, and keeps running until interrupted.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
exe="$root/build/windows/tarnwick.exe"
[ -f "$exe" ] || { echo "run: $exe is missing; build it first (make run does)" >&2; exit 1; }
# A prefix of its own, so that a test run's server and display never meet the program's.
export TARNWICK_WINEPREFIX="${TARNWICK_WINEPREFIX:-$root/build/windows/run-prefix}"
source "$here/wine-env.sh"
"$here/wine-prefix"

xvfb_pid=""
cleanup() {
  [ -n "${program_pid:-}" ] && kill "$program_pid" 2>/dev/null
  "$WINESERVER_BIN" -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
  start_virtual_display || exit 1
  headless=1
else
  headless=0
fi

"$WINE_BIN" "$exe" "$@" </dev/null >/dev/null 2>&1 &
program_pid=$!

if [ "$headless" -eq 1 ]; then
  shot="$root/build/tarnwick-running.png"
  # Give the desktop, the window and the tray icon time to appear.
  sleep 6
  if import -window root "$shot" 2>/dev/null; then
    echo "Tarnwick is running on the virtual display $DISPLAY; screenshot: $shot"
  else
    echo "Tarnwick is running on the virtual display $DISPLAY (no screenshot: import failed)"
  fi
  echo "Press Ctrl+C to stop it."
fi
wait "$program_pid"
