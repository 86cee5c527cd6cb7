#!/usr/bin/env bash
# Runs the installer test in a Wine prefix, server and display of its own, copied from the
# build's prefix: the installer writes Program Files, HKEY_LOCAL_MACHINE and the Start menu,
# and the test starts and ends the installed program, none of which may meet the other tests.
set -uo pipefail
test_exe="$1"
scripts="$(cd "$(dirname "$0")/../../scripts" && pwd)"

source "$scripts/wine-env.sh"
"$scripts/wine-prefix" || exit 1
prefix="$WINEPREFIX-installer"
rm -rf "$prefix"
cp -a "$WINEPREFIX" "$prefix" || exit 1
export TARNWICK_WINEPREFIX="$prefix"
source "$scripts/wine-env.sh"
start_private_session || exit 1
trap 'end_private_session; rm -rf "$prefix"' EXIT
"$WINE_BIN" "$test_exe"
