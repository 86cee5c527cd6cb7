#!/usr/bin/env bash
# Registers the program's toolbar button twice, then unregisters it, through the real registry
# under Wine; `reg query` must show exactly one button after the registrations and none after.
set -uo pipefail
exe="$1"
view="${2:-/reg:64}"  # the registry view of the exe's width: /reg:32 or /reg:64
scripts="$(cd "$(dirname "$0")/../../scripts" && pwd)"
wine() { "$scripts/wine-exec" "$@" 2>/dev/null | tr -d '\r'; }
reg() { wine reg "$@" "$view"; }

title='Tarnwick v1.0b Personal'
ext='HKLM\Software\Microsoft\Internet Explorer\Extensions'
list='HKLM\Software\VE5Raroz\ToolBar Buttons'
other='{0C1D2E3F-4A5B-6C7D-8E9F-A0B1C2D3E4F5}'
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

value() {  # key, value name: the data, or nothing when the value is missing
  reg query "$1" /v "$2" | sed -nE "s/^ +$2 +REG_[A-Z_]+ +(.*)$/\1/p"
}
type_of() {
  reg query "$1" /v "$2" | sed -nE "s/^ +$2 +(REG_[A-Z_]+)( .*)?$/\1/p"
}
# The extension keys whose button text is the program title, one identifier a line.
program_keys() {
  reg query "$ext" | grep -oE '\\\{[0-9A-Fa-f-]{36}\}$' | tr -d '\\' | while read -r id; do
    [ "$(value "$ext\\$id" ButtonText)" = "$title" ] && echo "$id"
  done
}
run() {
  "$scripts/wine-exec" "$exe" "$1" || fail "$exe $1 exited with $?"
}

# Start clean, with another program's button that must survive.
for id in $(program_keys); do reg delete "$ext\\$id" /f >/dev/null; done
reg delete "$list" /v "$title" /f >/dev/null
reg add "$ext\\$other" /v ButtonText /d 'Another button' /f >/dev/null

path=$(wine winepath -w "$exe")
[ -n "$path" ] || fail "no Windows path for $exe"

run register
first=$(value "$list" "$title")
run register
second=$(value "$list" "$title")

keys=$(program_keys)
if [ "$(wc -w <<<"$keys")" -ne 1 ]; then
  fail "expected one extension key for the program, found: ${keys:-none}"
fi
if [[ ! "$second" =~ ^\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}$ ]]; then
  fail "list entry '$second' is not an upper-case class identifier"
fi
[ "$keys" = "$second" ] || fail "list entry '$second' does not name the extension key '$keys'"
[ -n "$first" ] && [ "$first" != "$second" ] || fail "second registration kept identifier '$first'"
[ "$(type_of "$list" "$title")" = REG_SZ ] || fail "list entry is not REG_SZ"

expect() {  # value name, data
  local got
  got=$(value "$ext\\$second" "$1")
  if [ "$got" = "$2" ] && [ "$(type_of "$ext\\$second" "$1")" = REG_SZ ]; then
    echo "ok   $1 = $2"
  else
    fail "$1: expected REG_SZ '$2', got '$got'"
  fi
}
expect 'Default Visible' Yes
expect ButtonText "$title"
expect HotIcon "$path,1000"
expect Icon "$path,1001"
expect CLSID '{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}'
expect Exec "$path"

run unregister
[ -z "$(program_keys)" ] || fail "an extension key for the program is left: $(program_keys)"
[ -z "$(value "$list" "$title")" ] || fail "the list entry is left"
reg query "$ext\\$second" >/dev/null && fail "the key $second is left"
[ "$(value "$ext\\$other" ButtonText)" = 'Another button' ] || fail "another program's button went"

run unregister  # nothing left to remove is no error
reg delete "$ext\\$other" /f >/dev/null
[ "$failures" -eq 0 ]
