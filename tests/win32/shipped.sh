#!/usr/bin/env bash
# What users get, read from the files themselves: no debug information and no symbols, a link to
# the debug file beside each, which holds them; the stack protector linked in; and the header's
# ASLR (high entropy on 64-bit builds) and DEP flags.
#   shipped.sh OBJDUMP FILE...
set -uo pipefail
objdump=$1
shift
failed=0
fail() {
  echo "$file: $*"
  failed=1
}

for file in "$@"; do
  sections="$("$objdump" -h "$file")" || { fail "unreadable"; continue; }
  grep -q ' \.debug_' <<<"$sections" && fail "carries debug sections"
  grep -q ' \.gnu_debuglink ' <<<"$sections" || fail "has no link to its debug file"
  grep -qx 'no symbols' <<<"$("$objdump" -t "$file")" || fail "carries a symbol table"
  grep -q ' \.debug_info ' <<<"$("$objdump" -h "$file.debug" 2>/dev/null)" ||
    fail "has no debug file beside it"
  grep -qE ' _?__stack_chk_fail$' <<<"$("$objdump" -t "$file.debug" 2>/dev/null)" ||
    fail "has no stack protector"
  header="$("$objdump" -p "$file")"
  flags=(DYNAMIC_BASE NX_COMPAT)
  grep -q '^Magic.*(PE32+)' <<<"$header" && flags+=(HIGH_ENTROPY_VA)
  for flag in "${flags[@]}"; do
    grep -qE "^[[:space:]]+$flag$" <<<"$header" || fail "lacks $flag"
  done
done
exit $failed
