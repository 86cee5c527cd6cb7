#!/usr/bin/env bash
# Builds what the named test suites need, runs them and prints, from ctest's own reports, how many
# tests of each passed and failed, and which needed a retry.
#   run-tests.sh [suite...]   every suite when none is named:
#   sanitize  the native tests under AddressSanitizer and UndefinedBehaviorSanitizer
#   fuzz      a short run of each fuzz target
#   wine      the 64-bit Windows build's tests under Wine
#   wine32    the 32-bit Windows build's tests under Wine
# The Wine suites mostly wait on Wine, so they start first, once both Windows builds, the
# installer and the packages are built, and run while the native suites build and run. Each has
# a prefix, a display and a server of its own, so the two run side by side. Reports and logs are
# in build/test-logs/.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
cd "$root"
jobs="$(nproc)"
logdir="$root/build/test-logs"

suites=("$@")
[ ${#suites[@]} -gt 0 ] || suites=(sanitize fuzz wine wine32)
declare -A label=([sanitize]="native under ASan and UBSan" [fuzz]="fuzz" [wine]="wine"
  [wine32]="wine, 32-bit build")
declare -A preset=([sanitize]=sanitize [fuzz]=fuzz [wine]=windows [wine32]=windows32)
declare -A build=([wine]=build/windows [wine32]=build/windows32)
for suite in "${suites[@]}"; do
  [ -n "${preset[$suite]:-}" ] || { echo "run-tests: no suite $suite" >&2; exit 2; }
  rm -f "$logdir/$suite".* "$logdir/$suite"-runs.*
done
mkdir -p "$logdir"

ctest_suite() {  # suite [ctest arguments]: its report in $logdir/<suite>.xml
  local suite=$1
  shift
  ctest --preset "${preset[$suite]}" -j "$jobs" --output-junit "$logdir/$suite.xml" "$@"
}

# The Windows tests in the build's own prefix. Now and then Wine cannot start a test's process
# (CreateProcess error 1359 while the cores are busy), so a test that failed runs once more. The
# report holds each test's last run; ctest's log of every run, kept as <suite>-runs.log, tells the
# summary which tests needed that.
wine_suite() {  # suite prefix
  (
    export TARNWICK_WINEPREFIX="$2"
    source "$here/wine-env.sh"
    start_private_session || exit 1
    ctest_suite "$1" --repeat until-pass:2
    cp "$root/${build[$1]}/Testing/Temporary/LastTest.log" "$logdir/$1-runs.log"
  ) >"$logdir/$1.log" 2>&1
}

wine_suites=()
native_suites=()
for suite in "${suites[@]}"; do
  case "$suite" in
    wine*) wine_suites+=("$suite") ;;
    *) native_suites+=("$suite") ;;
  esac
done

# A suite whose build failed has no report, and the summary counts it as failed.
pids=()
if [ ${#wine_suites[@]} -gt 0 ] && make --no-print-directory windows windows32 installer msi; then
  for suite in "${wine_suites[@]}"; do
    case "$suite" in
      wine) wine_suite wine "$root/build/windows/wineprefix" & pids+=($!) ;;
      wine32) wine_suite wine32 "$root/build/windows32/wineprefix" & pids+=($!) ;;
    esac
  done
  echo "Wine suites running; their logs are in $logdir"
fi

# Meanwhile the native suites, their failures shown as they come.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
for suite in "${native_suites[@]}"; do
  make --no-print-directory "$suite-build" || continue
  ctest_suite "$suite" 2>&1 | tee "$logdir/$suite.log" |
    grep -vE '^ +Start |Test +#[0-9]+: .* Passed'
done
for pid in "${pids[@]}"; do wait "$pid"; done

summary=()
for suite in "${suites[@]}"; do summary+=("${label[$suite]}" "$suite"); done
echo
"$here/test-summary.py" "$logdir" "${summary[@]}"
