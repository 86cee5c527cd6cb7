#!/usr/bin/env bash
# Renders Tarnwick under Wine on a display and in a prefix of its own, as a first start sees it,
# and writes into build/screenshots/:
#   main-window.png   the main window, cut out along its frame
#   tray.png          the notification area at the right end of the taskbar, with the icon
#   desktop.png       the whole virtual desktop
#   options.png       the Options dialog, opened from the menu
#   about.png         the About dialog, opened from the menu
#   demo.png          the demonstration window after "View the demo", at a fifteenth start
# all at 96 DPI, then the same again at 144 DPI (150 %) on a screen half as large again, named
# main-window-144dpi.png and so on; and at 96 DPI main-window-high-contrast.png, the main window
# in a white-on-black high-contrast scheme, and main-window-managed.png and options-managed.png,
# the windows on a machine where an administrator set some of the settings by Group Policy.
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
mkdir -p "$out"

where() {  # class, title: "left top width height" of the visible window
  "$WINE_BIN" "$rect_exe" --park-cursor "$1" "$2" 15000 </dev/null 2>/dev/null | tr -d '\r'
}
cut() {  # "left top width height", screenshot, file
  local x y w h
  read -r x y w h <<<"$1"
  convert "$2" -crop "${w}x${h}+${x}+${y}" +repage -strip "$3"
}

# Each dialog as the menu opens it, cut out along its frame, then closed again.
shoot_dialog() {  # menu letter, item letter, class, file
  "$WINE_BIN" "$command_exe" keys TQuillmoor 'Tarnwick v1.0b Personal' "$1" "$2" </dev/null >/dev/null 2>&1
  local rect
  rect="$(where "$3" '')"
  [ -n "$rect" ] || { echo "screenshots: $3 did not appear" >&2; exit 1; }
  sleep 1
  import -window root "$out/shot.png"
  cut "$rect" "$out/shot.png" "$out/$4"
  rm -f "$out/shot.png"
  "$WINE_BIN" "$command_exe" close "$3" </dev/null >/dev/null 2>&1
  sleep 0.5
}

# Starts the program and shoots its main window into `file`, once it is painted.
start_and_shoot() {  # file
  local rect
  "$WINE_BIN" "$exe" </dev/null >/dev/null 2>&1 &
  rect="$(where TQuillmoor 'Tarnwick v1.0b Personal')"
  [ -n "$rect" ] || { echo "screenshots: the main window did not appear for $1" >&2; exit 1; }
  sleep 1.5
  import -window root "$out/shot.png"
  cut "$rect" "$out/shot.png" "$out/$1"
  rm -f "$out/shot.png"
}

# A white-on-black scheme as Windows' "High Contrast Black" has it: links yellow, selections cyan.
high_contrast=(Window='0 0 0' WindowText='255 255 255' ButtonFace='0 0 0' ButtonText='255 255 255'
  ButtonHilight='255 255 255' ButtonLight='192 192 192' ButtonShadow='128 128 128'
  ButtonDkShadow='64 64 64' WindowFrame='255 255 255' Menu='0 0 0' MenuBar='0 0 0'
  MenuText='255 255 255' MenuHilight='26 235 255' Hilight='26 235 255' HilightText='0 0 0'
  HotTrackingColor='255 255 0' GrayText='63 242 63' Scrollbar='0 0 0' InfoWindow='0 0 0'
  InfoText='255 255 255' ActiveTitle='0 0 0' GradientActiveTitle='0 0 0' TitleText='255 255 255')

# The main window in that scheme. Windows keeps a scheme in the user's colours, which a program
# reads when it starts; the prefix's own colours come back after, for the shots that follow.
shoot_high_contrast() {
  local colors='HKCU\Control Panel\Colors' pair name saved=()
  "$WINE_BIN" "$command_exe" close TQuillmoor 'Tarnwick v1.0b Personal' </dev/null >/dev/null 2>&1
  sleep 1
  for pair in "${high_contrast[@]}"; do
    name="${pair%%=*}"
    saved+=("$name=$("$WINE_BIN" reg query "$colors" /v "$name" </dev/null 2>/dev/null |
      tr -d '\r' | sed -nE "s/^ +$name +REG_SZ +//p")")
    "$WINE_BIN" reg add "$colors" /v "$name" /d "${pair#*=}" /f </dev/null >/dev/null 2>&1
  done
  start_and_shoot main-window-high-contrast.png
  "$WINE_BIN" "$command_exe" close TQuillmoor 'Tarnwick v1.0b Personal' </dev/null >/dev/null 2>&1
  sleep 1
  for pair in "${saved[@]}"; do
    if [ -n "${pair#*=}" ]; then
      "$WINE_BIN" reg add "$colors" /v "${pair%%=*}" /d "${pair#*=}" /f </dev/null >/dev/null 2>&1
    else
      "$WINE_BIN" reg delete "$colors" /v "${pair%%=*}" /f </dev/null >/dev/null 2>&1 || true
    fi
  done
}

# The main window and Options where the computer's policy bans Flash and Java, starts the program
# with Windows and keeps monitoring on.
shoot_managed() {
  local policies='HKLM\Software\Policies\Brambleworks\Tarnwick' pair
  for pair in ShockwaveFlash=1 JavaApplets=1 StartWithWindows=1 Monitoring=1; do
    "$WINE_BIN" reg add "$policies" /v "${pair%=*}" /t REG_DWORD /d "${pair#*=}" /f \
      </dev/null >/dev/null 2>&1
  done
  start_and_shoot main-window-managed.png
  shoot_dialog t o TSettingsF options-managed.png
  "$WINE_BIN" "$command_exe" close TQuillmoor 'Tarnwick v1.0b Personal' </dev/null >/dev/null 2>&1
  sleep 1
  "$WINE_BIN" reg delete "$policies" /f </dev/null >/dev/null 2>&1 || true
  "$WINE_BIN" reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' \
    /v 'Tarnwick v1.0b Personal' /f </dev/null >/dev/null 2>&1 || true
}

# Every picture at one DPI: the system reads LogPixels when each process starts, so the session
# starts anew with it, and the taskbar and its notification area are drawn at that DPI too.
shoot_at() {  # DPI, width x height of the screen, file name suffix
  local dpi=$1 suffix=$3
  screen_size=$2
  start_private_session || exit 1
  "$WINE_BIN" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    </dev/null >/dev/null 2>&1
  "$WINE_BIN" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d "$screen_size" /f \
    </dev/null >/dev/null 2>&1
  # A first start: default choices, and no balloon left over from an earlier Hide.
  "$WINE_BIN" reg delete 'HKCU\Software\Brambleworks\Tarnwick' /f </dev/null >/dev/null 2>&1 || true
  "$WINESERVER_BIN" -k </dev/null >/dev/null 2>&1 || true
  "$WINESERVER_BIN" -p </dev/null >/dev/null 2>&1
  "$WINE_BIN" cmd /c exit </dev/null >/dev/null 2>&1 || true

  "$WINE_BIN" "$exe" </dev/null >/dev/null 2>&1 &
  main_rect="$(where TQuillmoor 'Tarnwick v1.0b Personal')"
  local tray_rect
  tray_rect="$(where Shell_TrayWnd '')"
  [ -n "$main_rect" ] || { echo "screenshots: the main window did not appear" >&2; exit 1; }
  [ -n "$tray_rect" ] || { echo "screenshots: no taskbar" >&2; exit 1; }
  sleep 1.5  # painting, and the icon drawn into the notification area

  import -window root "$out/desktop$suffix.png"
  cut "$main_rect" "$out/desktop$suffix.png" "$out/main-window$suffix.png"
  # The notification area is the right end of the taskbar; shown twice its size to be seen.
  local x y w h tray_w
  read -r x y w h <<<"$tray_rect"
  tray_w=$((96 * dpi / 96))
  convert "$out/desktop$suffix.png" -crop "${tray_w}x${h}+$((x + w - tray_w))+${y}" +repage \
    -scale 200% -strip "$out/tray$suffix.png"
  shoot_dialog t o TSettingsF "options$suffix.png"
  shoot_dialog h a TAboutF "about$suffix.png"

  # The demonstration window shows itself at the start that makes the launch counter 15. Its
  # three index files are made up here, in folders of this prefix that the Shell Folders values
  # name; Wine writes those values anew when a program starts, so they are set once it runs.
  "$WINE_BIN" "$command_exe" close TQuillmoor 'Tarnwick v1.0b Personal' </dev/null >/dev/null 2>&1
  sleep 1
  "$WINE_BIN" reg add 'HKCU\Software\Brambleworks\Tarnwick' /v Ypos /t REG_DWORD /d 14 /f \
    </dev/null >/dev/null 2>&1
  "$WINE_BIN" "$exe" </dev/null >/dev/null 2>&1 &
  local demo_rect
  demo_rect="$(where TDemo '')"
  [ -n "$demo_rect" ] || { echo "screenshots: the demonstration window did not appear" >&2; exit 1; }
  local shots="$WINEPREFIX/drive_c/users/Public/tarnwick-shots"
  local folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
  local kind file n
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
  cut "$demo_rect" "$out/shot.png" "$out/demo$suffix.png"
  rm -f "$out/shot.png"
  [ "$dpi" != 96 ] || shoot_high_contrast
  [ "$dpi" != 96 ] || shoot_managed
  end_private_session
}

shoot_at 96 1024x768 ""
main_96="$main_rect"
shoot_at 144 1536x1152 -144dpi

echo "screenshots: in $out, at 96 DPI main-window.png (${main_96// /,}), tray.png, desktop.png," \
  "options.png, about.png, demo.png, main-window-high-contrast.png, main-window-managed.png," \
  "options-managed.png; at 144 DPI the same with -144dpi (main window ${main_rect// /,})"
