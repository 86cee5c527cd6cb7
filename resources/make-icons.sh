#!/usr/bin/env bash
# Draws the program's icons and packs them into .ico files.
#   make-icons.sh OUTDIR [PREVIEW.png]
# Everything is drawn here from vector primitives, so the artwork has one source and the build
# regenerates it when this script changes. The output is the same on every run.
set -euo pipefail

out=${1:?usage: make-icons.sh OUTDIR [PREVIEW.png]}
preview=${2:-}
convert=${CONVERT:-convert}
icotool=${ICOTOOL:-icotool}
work="$out/icon-work"
# A fresh work folder, so that a step that fails to write its picture never packs an old one.
rm -rf "$work"
mkdir -p "$work"

# All artwork lives in a 64 x 64 box, drawn at 256 px and reduced to each size, so strokes keep
# their proportions and edges are smoothed.
shield='M 32,4 C 25,8.5 16,10.5 8,11 L 8,30 C 8,45 18,54.5 32,61 C 46,54.5 56,45 56,30 L 56,11 C 48,10.5 39,8.5 32,4 Z'
shield_left='M 32,4 C 25,8.5 16,10.5 8,11 L 8,30 C 8,45 18,54.5 32,61 Z'

# shield_draw LIGHT DARK OUTLINE: the two-tone shield with its rim.
shield_draw() {
  printf "scale 4,4 stroke none fill '%s' path '%s' fill '%s' path '%s' " "$2" "$shield" "$1" "$shield_left"
  printf "fill none stroke '%s' stroke-width 3.5 stroke-linejoin round path '%s'" "$3" "$shield"
}
# An open eye: watching.
open_eye() {  # PUPIL
  printf "scale 4,4 fill white stroke '%s' stroke-width 2.5 stroke-linejoin round " "$1"
  printf "path 'M 15,32 Q 32,15 49,32 Q 32,49 15,32 Z' stroke none fill '%s' circle 32,32 32,39" "$1"
}
# A closed eye: idle.
closed_eye() {  # LID
  printf "scale 4,4 fill none stroke '%s' stroke-width 4 stroke-linecap round " "$1"
  printf "path 'M 14,28 Q 32,44 50,28' stroke-width 2.5 "
  printf "line 20.5,34.5 18.5,38.5 line 32,36 32,40.5 line 43.5,34.5 45.5,38.5"
}

# draw NAME LIGHT DARK OUTLINE EMBLEM-DRAW: renders the 256 px master of one picture.
draw() {
  "$convert" -size 256x256 xc:none -draw "$(shield_draw "$2" "$3" "$4")" -draw "$5" \
    "PNG32:$work/$1-master.png"
}
# true_colour NAME SIZE: the master reduced to SIZE, with its soft edges.
true_colour() {
  "$convert" "$work/$1-master.png" -resize "$2x$2" "PNG32:$work/$1-$2.png"
}
# Palette images have no partial transparency: a pixel is either shown or see-through.
hard_edges=(-channel A -threshold 50% +channel -background black -alpha background)
# The 16 colours every Windows display shows, for the 16-colour images.
"$convert" xc:'#000000' xc:'#800000' xc:'#008000' xc:'#808000' xc:'#000080' xc:'#800080' \
  xc:'#008080' xc:'#c0c0c0' xc:'#808080' xc:'#ff0000' xc:'#00ff00' xc:'#ffff00' xc:'#0000ff' \
  xc:'#ff00ff' xc:'#00ffff' xc:'#ffffff' +append "PNG24:$work/vga16.png"
# sixteen_colour NAME SIZE / palette_256 NAME SIZE
sixteen_colour() {
  # -remap would make every pixel opaque, so the mask is set aside and put back afterwards.
  "$convert" "$work/$1-master.png" -resize "$2x$2" "${hard_edges[@]}" \
    \( +clone -alpha extract -write mpr:mask +delete \) -alpha off +dither \
    -remap "$work/vga16.png" mpr:mask -compose CopyOpacity -composite \
    "PNG32:$work/$1-$2-4bpp.png"
}
palette_256() {
  "$convert" "$work/$1-master.png" -resize "$2x$2" "${hard_edges[@]}" +dither -colors 255 \
    "PNG32:$work/$1-$2-8bpp.png"
}

# The program: a blue shield watching.
draw main '#5b9bea' '#2b64c2' '#143a78' "$(open_eye '#143a78')"
# Monitoring off: a grey shield, its eye closed. Monitoring on: a green shield, eye open.
draw off '#c3c7cc' '#979ca3' '#585d64' "$(closed_eye '#4a4f56')"
draw on '#5fcf6c' '#2f9a42' '#1a5c26' "$(open_eye '#1a5c26')"
# Browser toolbar button, in colours a 16-colour display has; the hot one is brighter.
draw toolbar '#0000ff' '#000080' '#000000' "$(open_eye '#000080')"
draw toolbar-hot '#00ffff' '#0000ff' '#000080' "$(open_eye '#000080')"

# The pictures are 32 px at 96 DPI (small icons 16 px) and come drawn for 120, 144 and 192 DPI too,
# so that no screen shows them stretched.
for size in 16 20 24 32 40 48 64; do true_colour main "$size"; done
palette_256 main 32
for name in off on; do for size in 32 40 48 64; do true_colour "$name" "$size"; done; done
for name in toolbar toolbar-hot; do
  sixteen_colour "$name" 16
  sixteen_colour "$name" 20
  palette_256 "$name" 20
done

pictures() {  # NAME: the true-colour images of a 32 px picture, one for each DPI
  printf '%s\n' "$work/$1-32.png" "$work/$1-40.png" "$work/$1-48.png" "$work/$1-64.png"
}
mapfile -t main_pictures < <(pictures main)
"$icotool" -c -o "$out/main.ico" -b 32 "$work/main-16.png" "$work/main-20.png" \
  "$work/main-24.png" "${main_pictures[@]}" -b 8 "$work/main-32-8bpp.png"
# The tray icon's own image and the picture shown before monitoring first runs are the
# program's icon.
"$icotool" -c -o "$out/tray.ico" -b 32 "${main_pictures[@]}"
"$icotool" -c -o "$out/picture.ico" -b 32 "${main_pictures[@]}"
mapfile -t off_pictures < <(pictures off)
mapfile -t on_pictures < <(pictures on)
"$icotool" -c -o "$out/monitor-off.ico" -b 32 "${off_pictures[@]}"
"$icotool" -c -o "$out/monitor-on.ico" -b 32 "${on_pictures[@]}"
for name in toolbar toolbar-hot; do
  "$icotool" -c -o "$out/$name.ico" -b 4 "$work/$name-16-4bpp.png" "$work/$name-20-4bpp.png" \
    -b 8 "$work/$name-20-8bpp.png"
done

if [ -n "$preview" ]; then
  # What was packed, read back out of the .ico files: each image at four times its size on a
  # light ground; a row for the program, one for monitoring off and on, one for the toolbar.
  shown="$work/shown"
  mkdir -p "$shown"
  row() {
    local images=()
    for ico in "$@"; do
      "$icotool" -x -o "$shown" "$out/$ico.ico"
      for png in "$shown/${ico}"_*.png; do
        "$convert" "$png" -filter point -resize 400% -bordercolor none -border 8 "PNG32:$png"
        images+=("$png")
      done
    done
    printf '%s\n' "${images[@]}"
  }
  mapfile -t program < <(row main)
  mapfile -t state < <(row monitor-off monitor-on)
  mapfile -t toolbar < <(row toolbar toolbar-hot)
  "$convert" -background '#eef0f3' \
    \( "${program[@]}" -gravity center +append \) \
    \( "${state[@]}" -gravity center +append \) \
    \( "${toolbar[@]}" -gravity center +append \) \
    -gravity west -append -bordercolor '#eef0f3' -border 8 -alpha remove \
    -define png:exclude-chunks=date,time "PNG24:$preview"
fi
