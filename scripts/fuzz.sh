#!/usr/bin/env bash
# Runs every fuzz target of build/fuzz and prints, for each, its executions and findings.
#   scripts/fuzz.sh [--seconds N | --runs N] [--fresh] [--work DIR] [target...]
# --seconds runs each target for that long (60 by default); --runs for that many inputs, with a
# fixed seed. A run grows its own corpus under DIR/<target>/corpus (DIR is build/fuzz/work unless
# given), beside the seeds of fuzz/corpus/<target>, which it only reads; --fresh starts from the
# seeds alone. Findings are kept in DIR/<target>/findings. Exits non-zero when any target found
# something.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
bin="$root/build/fuzz/fuzz"

limit=(-max_total_time=60)
fresh=0
workroot="$root/build/fuzz/work"
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) limit=(-max_total_time="$2"); shift 2 ;;
    --runs) limit=(-runs="$2" -seed=1); shift 2 ;;
    --fresh) fresh=1; shift ;;
    --work) workroot="$(realpath -m "$2")"; shift 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(settings_reads registry_paths dump_bytes toolbar_identifier)

failed=0
for target in "${targets[@]}"; do
  work="$workroot/$target"
  [ "$fresh" -eq 0 ] || rm -rf "$work/corpus"
  mkdir -p "$work/corpus" "$work/findings"
  before=$(find "$work/findings" -type f ! -name 'slow-unit-*' | wc -l)
  log="$work/last.log"
  # The new inputs go to the first folder; the seeds are only read.
  (cd "$work" && "$bin/fuzz_$target" "${limit[@]}" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/findings/" \
    "$work/corpus" "$root/fuzz/corpus/$target") >"$log" 2>&1
  status=$?
  runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -n 1)
  [ -n "$runs" ] || runs=$(sed -nE 's/^#([0-9]+).*/\1/p' "$log" | tail -n 1)
  after=$(find "$work/findings" -type f ! -name 'slow-unit-*' | wc -l)
  findings=$((after - before))
  if [ "$status" -ne 0 ] && [ "$findings" -eq 0 ]; then findings=1; fi
  echo "$target: ${runs:-0} executions, $findings findings"
  if [ "$findings" -ne 0 ]; then
    failed=$((failed + 1))
    grep -m 3 -E 'finding:|ERROR|runtime error' "$log" | sed 's/^/  /'
    echo "  log: $log"
  fi
done
exit $((failed > 0))
