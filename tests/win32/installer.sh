#!/usr/bin/env bash
# Runs the installer test in a Wine prefix, server and display of its own, copied from a ready
# one: the installer writes Program Files, HKEY_LOCAL_MACHINE and the Start menu, and the test
# starts and ends the installed program, none of which may meet the other tests.
# bits 64: the build's prefix, a 64-bit machine. bits 32: a machine with 32-bit Windows, a
# prefix of Wine's 32-bit side alone, made once beside the 32-bit build.
set -uo pipefail
test_exe="$1"
bits="$2"
scripts="$(cd "$(dirname "$0")/../../scripts" && pwd)"
root="$(cd "$scripts/.." && pwd)"

if [ "$bits" = 32 ]; then
  export WINEARCH=win32 WINE_BIN=/usr/lib/wine/wine
  export TARNWICK_WINEPREFIX="$root/build/windows32/wineprefix-win32"
fi
source "$scripts/wine-env.sh"
"$scripts/wine-prefix" || exit 1
prefix="$WINEPREFIX-installer"
rm -rf "$prefix"
cp -a "$WINEPREFIX" "$prefix" || exit 1
export TARNWICK_WINEPREFIX="$prefix"
source "$scripts/wine-env.sh"
start_private_session || exit 1
trap 'end_private_session; rm -rf "$prefix" "$prefix.lock"' EXIT
trap 'exit 143' INT TERM  # a test that runs out of time still leaves no server or copy behind
"$WINE_BIN" "$test_exe"
