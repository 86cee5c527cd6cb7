#!/usr/bin/env bash
# Renders Tarnwick under Wine on a display and in a prefix of its own, as a first start sees it,
# and writes into build/screenshots/:
#   main-window.png   the main window, cut out along its frame
#   tray.png          the notification area at the right end of the taskbar, with the icon
#   desktop.png       the whole virtual desktop
#   options.png       the Options dialog, opened from the menu
#   about.png         the About dialog, opened from the menu
#   demo.png          the demonstration window after "View the demo", at a fifteenth start
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
exe="$root/build/windows/tarnwick.exe"
rect_exe="$root/build/windows/tools/window_rect.exe"
command_exe="$root/build/windows/tools/post_command.exe"
out="$root/build/screenshots"
for f in "$exe" "$rect_exe" "$command_exe"; do
  [ -f "$f" ] || { echo "screenshots: $f is missing; build first (make screenshots does)" >&2; exit 1; }
done
# Never the test run's prefix or server: a screenshot must not meet a test's windows.
export TARNWICK_WINEPREFIX="$root/build/windows/shot-prefix"
source "$here/wine-env.sh"
"$here/wine-prefix"
mkdir -p "$out"

start_private_session || exit 1
# A first start: default choices, and no balloon left over from an earlier Hide.
"$WINE_BIN" reg delete 'HKCU\Software\Brambleworks\Tarnwick' /f </dev/null >/dev/null 2>&1 || true

"$WINE_BIN" "$exe" </dev/null >/dev/null 2>&1 &
where() {  # class, title: "left top width height" of the visible window
  "$WINE_BIN" "$rect_exe" --park-cursor "$1" "$2" 15000 </dev/null 2>/dev/null | tr -d '\r'
}
main_rect="$(where TQuillmoor 'Tarnwick v1.0b Personal')"
tray_rect="$(where Shell_TrayWnd '')"
[ -n "$main_rect" ] || { echo "screenshots: the main window did not appear" >&2; exit 1; }
[ -n "$tray_rect" ] || { echo "screenshots: no taskbar" >&2; exit 1; }
sleep 1.5  # painting, and the icon drawn into the notification area

import -window root "$out/desktop.png"
read -r x y w h <<<"$main_rect"
convert "$out/desktop.png" -crop "${w}x${h}+${x}+${y}" +repage -strip "$out/main-window.png"
# The notification area is the right end of the taskbar; shown twice its size to be seen.
read -r x y w h <<<"$tray_rect"
tray_w=96
convert "$out/desktop.png" -crop "${tray_w}x${h}+$((x + w - tray_w))+${y}" +repage \
  -scale 200% -strip "$out/tray.png"
# Each dialog as the menu opens it, cut out along its frame, then closed again.
shoot_dialog() {  # menu letter, item letter, class, file
  "$WINE_BIN" "$command_exe" keys TQuillmoor 'Tarnwick v1.0b Personal' "$1" "$2" </dev/null >/dev/null 2>&1
  local rect
  rect="$(where "$3" '')"
  [ -n "$rect" ] || { echo "screenshots: $3 did not appear" >&2; exit 1; }
  sleep 1
  import -window root "$out/shot.png"
  read -r x y w h <<<"$rect"
  convert "$out/shot.png" -crop "${w}x${h}+${x}+${y}" +repage -strip "$out/$4"
  rm -f "$out/shot.png"
  "$WINE_BIN" "$command_exe" close "$3" </dev/null >/dev/null 2>&1
  sleep 0.5
}
shoot_dialog t o TSettingsF options.png
shoot_dialog h a TAboutF about.png

# The demonstration window shows itself at the start that makes the launch counter 15. Its three
# index files are made up here, in folders of this prefix that the Shell Folders values name;
# Wine writes those values anew when a program starts, so they are set once it runs.
"$WINE_BIN" "$command_exe" close TQuillmoor 'Tarnwick v1.0b Personal' </dev/null >/dev/null 2>&1
sleep 1
"$WINE_BIN" reg add 'HKCU\Software\Brambleworks\Tarnwick' /v Ypos /t REG_DWORD /d 14 /f \
  </dev/null >/dev/null 2>&1
"$WINE_BIN" "$exe" </dev/null >/dev/null 2>&1 &
demo_rect="$(where TDemo '')"
[ -n "$demo_rect" ] || { echo "screenshots: the demonstration window did not appear" >&2; exit 1; }
shots="$WINEPREFIX/drive_c/users/Public/tarnwick-shots"
folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
for kind in History Cache Cookies; do
  case "$kind" in
    History) file="$shots/History/History.IE5/index.dat" ;;
    Cache) file="$shots/Cache/Content.IE5/index.dat" ;;
    Cookies) file="$shots/Cookies/index.dat" ;;
  esac
  mkdir -p "$(dirname "$file")"
  { printf 'Client UrlCache MMF Ver 5.2\0\0\x01\x80'
    for n in $(seq 1 60); do
      printf 'URL \x02\0\0Visited: user@https://news.example/%s/story-%d.html\0\x10\x7f' "$kind" "$n"
    done
  } >"$file"
  "$WINE_BIN" reg add "$folders" /v "$kind" /d "C:\\users\\Public\\tarnwick-shots\\$kind" /f \
    </dev/null >/dev/null 2>&1
done
"$WINE_BIN" "$command_exe" click TDemo '' '&View the demo' </dev/null >/dev/null 2>&1
sleep 2
import -window root "$out/shot.png"
read -r x y w h <<<"$demo_rect"
convert "$out/shot.png" -crop "${w}x${h}+${x}+${y}" +repage -strip "$out/demo.png"
rm -f "$out/shot.png"

echo "screenshots: $out/main-window.png (${main_rect// /,}), $out/tray.png, $out/desktop.png, $out/options.png, $out/about.png, $out/demo.png"
