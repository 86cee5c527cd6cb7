#!/usr/bin/env bash
# Runs a Windows test program in the build's prefix at another DPI:  at-dpi.sh DPI PROGRAM
# Wine reads LogPixels when each process starts, so it is set for the run and put back after; the
# program learns the DPI it runs at from TARNWICK_TEST_DPI. Wine takes every program as DPI-aware
# unless DpiScalingVer is set, and with that set Wine 8 leaves the first program with windows
# after a change of DPI at 96, so it stays unset here.
set -uo pipefail
dpi="$1"
program="$2"
scripts="$(cd "$(dirname "$0")/../../scripts" && pwd)"
key='HKCU\Control Panel\Desktop'
wine() { "$scripts/wine-exec" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# LogPixels as it is now, "TYPE DATA", or nothing when it is missing.
saved="$(wine reg query "$key" /v LogPixels | sed -nE 's/^ +LogPixels +(REG_[A-Z_]+) +(.*)$/\1 \2/p')"
restore() {
  if [ -n "$saved" ]; then
    wine reg add "$key" /v LogPixels /t "${saved%% *}" /d "${saved#* }" /f >/dev/null
  else
    wine reg delete "$key" /v LogPixels /f >/dev/null
  fi
}
trap restore EXIT
wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
TARNWICK_TEST_DPI="$dpi" "$scripts/wine-exec" "$program"
status=$?
exit "$status"
