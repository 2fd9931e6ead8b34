#!/usr/bin/env bash
# Starts the real program under Xvfb, imports frames from a sprite sheet
# through File > Import Frames..., accepts the retrieval dialog with Enter,
# saves with File > Save As... and checks the saved strip with ImageMagick.
# Usage: import_frames.sh path/to/tolvane [screenshot.png]
set -uo pipefail

program=${1:?usage: import_frames.sh path/to/tolvane [screenshot.png]}
shot=${2:-}
source "$(dirname "$0")/x_session.sh"
for tool in convert identify; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps.sh installs it)"; exit 1; }
done

# A sheet that is no strip: three 32 x 40 cells, red, lime and blue, and a
# white band 4 pixels wide on the right.
sheet="$work/sheet.bmp"
convert -size 100x40 xc:white \
  -fill red -draw "rectangle 0,0 31,39" \
  -fill lime -draw "rectangle 32,0 63,39" \
  -fill blue -draw "rectangle 64,0 95,39" \
  -type TrueColor "BMP3:$sheet" || { echo "FAIL: could not make the sheet"; exit 1; }
saved="$work/walk.bmp"

Start_Program "$program"
Wait_For_Splash

dialog=$(File_Menu i '^Import\.\.\.$') || { echo "FAIL: no Import... file dialog"; exit 1; }
echo "file dialog $dialog"
Type_Into "$dialog" "$sheet" '^Import\.\.\.$' 

retrieval=$(Wait_For_Window '^Frame Retrieval\.\.\.$' 100) ||
  { echo "FAIL: no retrieval dialog"; cat "$work/program.log"; exit 1; }
echo "retrieval dialog $retrieval"
sleep 0.5
if [ -n "$shot" ]; then
  import -window root "$shot" && echo "screenshot $shot"
fi
# Enter presses Ok: 3 frames of 32, stretched from the 32 x 32 cells.
xdotool mousemove --window "$retrieval" 240 120
sleep 0.3
xdotool key --window "$retrieval" Return
xdotool keyup Return
for _ in $(seq 50); do
  [ -z "$(xdotool search --onlyvisible --name '^Frame Retrieval\.\.\.$' 2>/dev/null)" ] && break
  sleep 0.1
done
title=$(xdotool getwindowname "$window")
[ "$title" = "Tolvane v2 - NewAnim.BMP" ] || { echo "FAIL: caption is '$title'"; exit 1; }
echo "imported: $title"

save=$(File_Menu a '^Save As\.\.\.$') || { echo "FAIL: no Save As... dialog"; exit 1; }
Type_Into "$save" "$saved" '^Save As\.\.\.$' 
for _ in $(seq 50); do
  [ -s "$saved" ] && break
  sleep 0.1
done
[ -s "$saved" ] || { echo "FAIL: $saved was not written"; cat "$work/program.log"; exit 1; }

size=$(identify -format '%wx%h' "$saved")
[ "$size" = "96x32" ] || { echo "FAIL: saved strip is $size, not 96x32"; exit 1; }
fail=0
for probe in "0,0 red" "31,31 red" "32,0 lime" "63,31 lime" "64,0 blue" "95,31 blue"; do
  at=${probe% *}
  want=$(convert xc:"${probe#* }" -format '%[pixel:p{0,0}]' info:)
  got=$(convert "$saved" -format "%[pixel:p{$at}]" info:)
  [ "$got" = "$want" ] || { echo "FAIL: pixel $at is $got, not $want"; fail=1; }
done
[ "$fail" -eq 0 ] || exit 1
echo "PASS: saved a 96x32 strip of red, lime and blue frames"

xdotool mousemove --window "$window" 250 185 click 1
sleep 0.5
Exit_Through_Menu "$window"
