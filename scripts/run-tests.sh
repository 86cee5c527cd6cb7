#!/usr/bin/env bash
# Runs every test: the native build's directly, the 64-bit and 32-bit Windows builds' under Wine
# with a virtual X display and one persistent wineserver. Prints how many ran in each.
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

# The same suites under AddressSanitizer and UndefinedBehaviorSanitizer; any report fails its test.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --preset sanitize -j "$jobs" 2>&1 | tee "$logdir/sanitize.log" | grep -vE '^ +Start |Test +#[0-9]+: .* Passed'
sanitize_status=${PIPESTATUS[0]}

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
# The same suites on the 32-bit build, in the same prefix and server (WoW64): after the 64-bit
# run, never beside it, since both use the prefix's one registry and desktop.
ctest --preset windows32 -j "$jobs" --repeat until-pass:2 2>&1 | tee "$logdir/wine32.log" | grep -vE '^ +Start |Test +#[0-9]+: .* Passed'
wine32_status=${PIPESTATUS[0]}

read -r native_passed native_failed < <(count "$logdir/native.log")
read -r sanitize_passed sanitize_failed < <(count "$logdir/sanitize.log")
read -r wine_passed wine_failed < <(count "$logdir/wine.log")
read -r wine32_passed wine32_failed < <(count "$logdir/wine32.log")
fuzz_passed=$(grep -cE ': [0-9]+ executions, 0 findings$' "$logdir/fuzz.log")
fuzz_failed=$(grep -cE ': [0-9]+ executions, [1-9][0-9]* findings$' "$logdir/fuzz.log")
echo
echo "native: $native_passed passed, $native_failed failed"
echo "native under ASan and UBSan: $sanitize_passed passed, $sanitize_failed failed"
echo "fuzz: $fuzz_passed passed, $fuzz_failed failed"
echo "wine: $wine_passed passed, $wine_failed failed"
echo "wine, 32-bit build: $wine32_passed passed, $wine32_failed failed"
passed=$((native_passed + sanitize_passed + fuzz_passed + wine_passed + wine32_passed))
failed=$((native_failed + sanitize_failed + fuzz_failed + wine_failed + wine32_failed))
echo "total: $passed passed, $failed failed"
[ "$native_status" -eq 0 ] && [ "$sanitize_status" -eq 0 ] && [ "$fuzz_status" -eq 0 ] &&
  [ "$wine_status" -eq 0 ] && [ "$wine32_status" -eq 0 ] && [ "$native_passed" -gt 0 ] &&
  [ "$sanitize_passed" -gt 0 ] && [ "$fuzz_passed" -gt 0 ] && [ "$wine_passed" -gt 0 ] &&
  [ "$wine32_passed" -gt 0 ]
