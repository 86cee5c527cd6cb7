#!/usr/bin/env bash
# Runs every test: the native build's directly, the Windows build's under Wine with a virtual
# X display and one persistent wineserver. Prints how many ran in each.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
cd "$root"
jobs="$(nproc)"

count() {  # "N passed, M failed" from a ctest log
  local line total failed
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  failed=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
  if [ -z "$line" ]; then
    echo "0 0"
  else
    echo "$((total - failed)) $failed"
  fi
}

logdir="$root/build/test-logs"
mkdir -p "$logdir"

ctest --preset native -j "$jobs" 2>&1 | tee "$logdir/native.log" | grep -vE '^ +Start |Test +#[0-9]+: .* Passed'
native_status=${PIPESTATUS[0]}

# One short run of each fuzz target, from its seeds alone and with a fixed seed.
"$here/fuzz.sh" --runs 20000 --fresh --work "$root/build/fuzz/short" 2>&1 | tee "$logdir/fuzz.log"
fuzz_status=${PIPESTATUS[0]}

# Windows tests: a private X display (any free number), the build's prefix and a warm server.
# Now and then Wine fails to start a test's process at all (CreateProcess error 1359 while the
# two cores are busy); a failing test runs once more, and the log shows that it did.
source "$here/wine-env.sh"
xvfb_pid=""
cleanup() {
  "$here/wine-server" stop
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
start_virtual_display || exit 1
"$here/wine-server" start
ctest --preset windows -j "$jobs" --repeat until-pass:2 2>&1 | tee "$logdir/wine.log" | grep -vE '^ +Start |Test +#[0-9]+: .* Passed'
wine_status=${PIPESTATUS[0]}

read -r native_passed native_failed < <(count "$logdir/native.log")
read -r wine_passed wine_failed < <(count "$logdir/wine.log")
fuzz_passed=$(grep -cE ': [0-9]+ executions, 0 findings$' "$logdir/fuzz.log")
fuzz_failed=$(grep -cE ': [0-9]+ executions, [1-9][0-9]* findings$' "$logdir/fuzz.log")
echo
echo "native: $native_passed passed, $native_failed failed"
echo "fuzz: $fuzz_passed passed, $fuzz_failed failed"
echo "wine: $wine_passed passed, $wine_failed failed"
echo "total: $((native_passed + fuzz_passed + wine_passed)) passed, $((native_failed + fuzz_failed + wine_failed)) failed"
[ "$native_status" -eq 0 ] && [ "$fuzz_status" -eq 0 ] && [ "$wine_status" -eq 0 ] &&
  [ "$native_passed" -gt 0 ] && [ "$fuzz_passed" -gt 0 ] && [ "$wine_passed" -gt 0 ]
