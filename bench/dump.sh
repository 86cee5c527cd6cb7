#!/usr/bin/env bash
# The dump's speed three ways on one 16 MiB block: natively (the floor), by xxd, and in the real
# program under Wine from the click to the last line shown; then a stop typed on the keyboard
# during a 16 MiB and a 96 MiB file, the program's peak memory and a 100 MiB file with the main
# window answering. Not a test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
scripts="$root/scripts"
native="$root/build/bench/bench/dump_bench"
gui="$root/build/windows/bench/dump_gui_bench.exe"
for f in "$native" "$gui"; do
  [ -f "$f" ] || { echo "bench-dump: $f is missing; make bench-dump builds it" >&2; exit 1; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/small/History.IE5" "$work/stop/History.IE5" "$work/large/History.IE5"

native_out="$("$native" --write "$work/small/History.IE5/index.dat")"
echo "$native_out"
# 96 MiB: the same block six times; 100 MiB: that and a part.
for _ in 1 2 3 4 5 6; do cat "$work/small/History.IE5/index.dat"; done >"$work/stop/History.IE5/index.dat"
cp "$work/stop/History.IE5/index.dat" "$work/large/History.IE5/index.dat"
head -c $((4 << 20)) "$work/small/History.IE5/index.dat" >>"$work/large/History.IE5/index.dat"

export TARNWICK_WINEPREFIX="$root/build/windows/bench-prefix"
source "$scripts/wine-env.sh"
start_private_session || exit 1
log="$work/gui.log"
"$WINE_BIN" "$gui" "$work/small" "$work/stop" "$work/large" </dev/null >"$log" 2>&1 || true
tr -d '\r' <"$log"

value() { tr -d '\r' <"$log" | sed -n "s/^$1=\([0-9.]*\).*/\1/p"; }
floor=$(sed -n 's/^DumpBytes: \([0-9.]*\) MiB\/s.*/\1/p' <<<"$native_out")
xxd=$(sed -n 's/^xxd: \([0-9.]*\) MiB\/s.*/\1/p' <<<"$native_out")
gui=$(value gui_mib_s)
fastest() { tr -d '\r' <"$log" | sed -n "s/^$1=.*(fastest \([0-9.]*\)).*/\1/p"; }
for when in start dump; do
  echo "stop typed as the run $([ $when = start ] && echo begins || echo dumps), fastest of three: 16 MiB $(fastest stop_16_${when}_ms) ms, 96 MiB $(fastest stop_96_${when}_ms) ms (goal: at most 30 ms on both)"
done
echo "program peak working set: $(value peak_mb) MB (goal: at most 2.5 x 100 MiB + 30 MB = 280 MB)"
if [ -n "$gui" ] && [ -n "$xxd" ] && [ -n "$floor" ]; then
  awk -v g="$gui" -v x="$xxd" -v f="$floor" 'BEGIN {
    printf "program / xxd: %.2fx (goal: at least 4x)\n", g / x
    printf "program / native floor: %.2f (goal: at least 0.25)\n", g / f }'
fi
