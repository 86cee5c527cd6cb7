#!/usr/bin/env bash
# Compiles the help project into the current folder.
#   compile-help.sh CHMCMD PROJECT.hhp OUTPUT.chm
# chmcmd reports a link to a missing page or anchor and still succeeds; any such report fails the
# build here, so a broken link never ships. Its chatter is shown only when something went wrong.
set -uo pipefail
chmcmd=${1:?usage: compile-help.sh CHMCMD PROJECT.hhp OUTPUT.chm}
project=${2:?}
output=${3:?}

rm -f "$output"
log=$("$chmcmd" "$project" 2>&1)
status=$?
if [ "$status" -ne 0 ] || grep -qE '^(Warning|Error)' <<<"$log" || [ ! -s "$output" ]; then
  printf '%s\n' "$log" >&2
  rm -f "$output"
  exit 1
fi
