#!/usr/bin/env bash
# Runs tarnwick.exe under Wine for a long time with monitoring on while the browser's switch is
# turned back every 100 ms; prints its handles, objects and memory at the start and at the end.
# The first argument is the length in seconds (600 by default). Not a test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
scripts="$root/scripts"
soak="$root/build/windows/bench/soak_bench.exe"
[ -f "$soak" ] || { echo "soak: $soak is missing; make soak builds it" >&2; exit 1; }
# Never the test run's prefix or server: its own, as the benchmarks have.
export TARNWICK_WINEPREFIX="$root/build/windows/bench-prefix"
source "$scripts/wine-env.sh"
"$scripts/wine-prefix"
start_private_session || exit 1
log="$(mktemp)"
status=0
"$WINE_BIN" "$soak" "${1:-600}" </dev/null >"$log" 2>&1 || status=$?
tr -d '\r' <"$log" | grep -v '^[0-9a-f]*:\(fixme\|err\|warn\):'
rm -f "$log"
exit "$status"
