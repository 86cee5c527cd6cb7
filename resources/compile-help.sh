#!/usr/bin/env bash
# Compiles the help project into the current folder, dated at the time in EPOCH_FILE.
#   compile-help.sh CHMCMD PROJECT.hhp OUTPUT.chm EPOCH_FILE
# chmcmd reports a link to a missing page or anchor and still succeeds; any such report fails the
# build here, so a broken link never ships. Its chatter is shown only when something went wrong.
set -uo pipefail
chmcmd=${1:?usage: compile-help.sh CHMCMD PROJECT.hhp OUTPUT.chm EPOCH_FILE}
project=${2:?}
output=${3:?}
epoch_file=${4:?}

rm -f "$output"
log=$("$chmcmd" "$project" 2>&1)
status=$?
if [ "$status" -ne 0 ] || grep -qE '^(Warning|Error)' <<<"$log" || [ ! -s "$output" ]; then
  printf '%s\n' "$log" >&2
  rm -f "$output"
  exit 1
fi
if ! python3 "$(dirname "$0")/date-help.py" "$output" "$(cat "$epoch_file")"; then
  rm -f "$output"
  exit 1
fi
