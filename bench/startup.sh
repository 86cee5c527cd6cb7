#!/usr/bin/env bash
# Times tarnwick.exe against a minimal window program from start to visible window, under Wine
# with a warm server, on a display and in a prefix of its own. Arguments go to startup_bench
# (the number of runs of each, 10 by default).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
scripts="$root/scripts"
bench="$root/build/windows/bench/startup_bench.exe"
[ -f "$bench" ] || { echo "bench: $bench is missing; build first (make bench does)" >&2; exit 1; }
# Never the test run's prefix or server: a second tarnwick.exe there would hand over to a test's.
export TARNWICK_WINEPREFIX="$root/build/windows/bench-prefix"
source "$scripts/wine-env.sh"
"$scripts/wine-prefix"

start_private_session || exit 1
# Wine's background processes keep our output open after the bench ends; its own output is a file.
log="$(mktemp)"
status=0
"$WINE_BIN" "$bench" "$@" </dev/null >"$log" 2>&1 || status=$?
tr -d '\r' <"$log"
rm -f "$log"
exit "$status"
