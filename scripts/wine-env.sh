# Sourced by the Wine scripts: where Wine is and which prefix the build uses.
# TARNWICK_WINEPREFIX overrides the prefix, which otherwise lives in the Windows build folder.
repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WINE_BIN="${WINE_BIN:-/usr/lib/wine/wine64}"
WINESERVER_BIN="${WINESERVER_BIN:-/usr/lib/wine/wineserver}"
export WINEPREFIX="${TARNWICK_WINEPREFIX:-$repo_root/build/windows/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
