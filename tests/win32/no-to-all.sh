#!/usr/bin/env bash
# "Yes to all" then "No to all" through the real registry under Wine; `reg query` must then show
# every ban exactly.
set -uo pipefail
exe="$1"
view="${2:-/reg:64}"  # the registry view of the exe's width: /reg:32 or /reg:64
scripts="$(cd "$(dirname "$0")/../../scripts" && pwd)"
wine() { "$scripts/wine-exec" "$@" 2>/dev/null | tr -d '\r'; }
reg() { wine reg "$@" "$view"; }

main='HKCU\Software\Microsoft\Internet Explorer\Main'
flash='HKLM\SOFTWARE\Microsoft\Internet Explorer\ActiveX Compatibility\{D27CDB6E-AE6D-11CF-96B8-444553540000}'
shock='HKLM\SOFTWARE\Microsoft\Internet Explorer\ActiveX Compatibility\{166B1BCA-3F9C-11CF-8075-444553540000}'
zone='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Zones\3'
settings='HKCU\Software\Brambleworks\Tarnwick'

for v in 'Display Inline Videos' Play_Animations Play_Background_Sounds; do
  reg delete "$main" /v "$v" /f >/dev/null
done
reg delete "$settings" /f >/dev/null
reg add "$flash" /v Stale /d leftover /f >/dev/null

"$scripts/wine-exec" "$exe" 0 1 || { echo "FAIL: $exe exited with $?"; exit 1; }

failures=0
expect() {  # key, value name, type, data
  local line tries
  # reg.exe now and then starts and prints nothing under a busy server; a value that is really
  # missing stays missing on every try.
  for tries in 1 2 3; do
    line=$(reg query "$1" /v "$2" | grep -F "    $2    ")
    [ -n "$line" ] && break
    sleep 0.5
  done
  if [[ "$line" =~ ^\ +"$2"\ +([A-Z_]+)\ +(.*)$ ]] && [ "${BASH_REMATCH[1]}" = "$3" ] && [ "${BASH_REMATCH[2]}" = "$4" ]; then
    echo "ok   $1 : $2 = $3 $4"
  else
    echo "FAIL $1 : $2: expected $3 $4, got '${line}'"
    failures=$((failures + 1))
  fi
}
expect "$main" 'Display Inline Videos' REG_SZ No
expect "$main" Play_Animations REG_SZ No
expect "$main" Play_Background_Sounds REG_SZ No
expect "$flash" 'Compatibility Flags' REG_DWORD 0x400
expect "$shock" 'Compatibility Flags' REG_DWORD 0x400
expect "$zone" 1C00 REG_DWORD 0x0
for kind in 1 2 3 4 5; do expect "$settings" "$kind" REG_DWORD 0x1; done
if reg query "$flash" /v Stale | grep -q Stale; then
  echo "FAIL the class key kept a value that \"Yes to all\" should have removed with it"
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ]
