# Sourced by the Wine scripts: where Wine is and which prefix the build uses.
# TARNWICK_WINEPREFIX overrides the prefix, which otherwise lives in the Windows build folder.
repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WINE_BIN="${WINE_BIN:-/usr/lib/wine/wine64}"
WINESERVER_BIN="${WINESERVER_BIN:-/usr/lib/wine/wineserver}"
export WINEPREFIX="${TARNWICK_WINEPREFIX:-$repo_root/build/windows/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Starts a private X server on a free display number and exports DISPLAY; its process id is left
# in xvfb_pid for the caller to end. Returns non-zero when the server does not come up. The
# screen is 1024 x 768 unless screen_size says otherwise.
start_virtual_display() {
  local file
  file="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 "${screen_size:-1024x768}x24" -nolisten tcp 3>"$file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$file" ] && break; sleep 0.1; done
  if [ ! -s "$file" ]; then
    rm -f "$file"
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$(cat "$file")"
  rm -f "$file"
}

# A private Wine session: the caller's own prefix (made first if it is missing), a display and a
# warm persistent wineserver, all ended when the calling script or subshell exits. The server is
# warm so that the first program is not slow, and detached from our output, since Wine's
# background processes would otherwise hold a caller's pipes open.
start_private_session() {
  xvfb_pid=""
  trap 'end_private_session' EXIT
  "$repo_root/scripts/wine-prefix" || return 1
  start_virtual_display || return 1
  "$WINESERVER_BIN" -p </dev/null >/dev/null 2>&1
  "$WINE_BIN" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Stopping the server also writes the prefix's registry files.
end_private_session() {
  "$WINESERVER_BIN" -k </dev/null >/dev/null 2>&1 || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  return 0
}
