#!/usr/bin/env bash
# Runs one of the Windows benchmark programs under Wine with a warm server, on a display and in a
# prefix of its own: never the test run's, where a second tarnwick.exe would hand over to a
# test's. Not a test.
#   run-bench.sh <program in build/windows/bench> [arguments]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
scripts="$root/scripts"
bench="$root/build/windows/bench/$1"
shift
[ -f "$bench" ] || { echo "bench: $bench is missing; build first (make bench does)" >&2; exit 1; }
export TARNWICK_WINEPREFIX="$root/build/windows/bench-prefix"
source "$scripts/wine-env.sh"
start_private_session || exit 1
# Wine's background processes keep our output open after the bench ends; its own output is a file.
log="$(mktemp)"
status=0
"$WINE_BIN" "$bench" "$@" </dev/null >"$log" 2>&1 || status=$?
tr -d '\r' <"$log" | grep -v '^[0-9a-f]*:\(fixme\|err\|warn\):' || true
rm -f "$log"
exit "$status"
