#!/usr/bin/env bash
# Starts the real program as a file manager would, `tolvane strip.png`, and
# checks that after the splash the strip is open: the caption names it, and
# File > Save As... to a .png name writes a PNG of all its frames.
# Usage: open_png.sh path/to/tolvane
set -uo pipefail

program=${1:?usage: open_png.sh path/to/tolvane}
source "$(dirname "$0")/x_session.sh"
for tool in convert identify; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps.sh installs it)"; exit 1; }
done

# Three frames of 24, red, lime and blue, as RGBA.
strip="$work/strip.png"
convert -size 72x24 xc:red \
  -fill lime -draw "rectangle 24,0 47,23" \
  -fill blue -draw "rectangle 48,0 71,23" \
  "PNG32:$strip" || { echo "FAIL: could not make the strip"; exit 1; }
saved="$work/copy.png"

Start_Program_On "$program" "$strip"
Wait_For_Splash

opened=$(Wait_For_Window '^Tolvane v2 - strip\.png$' 100) ||
  { echo "FAIL: caption is '$(xdotool getwindowname "$window")'"; cat "$work/program.log"; exit 1; }
[ "$opened" = "$window" ] || { echo "FAIL: the strip opened in another window"; exit 1; }
echo "opened: $(xdotool getwindowname "$window")"

save=$(File_Menu a '^Save As\.\.\.$') || { echo "FAIL: no Save As... dialog"; exit 1; }
Type_Into "$save" "$saved" '^Save As\.\.\.$'
for _ in $(seq 50); do
  [ -s "$saved" ] && break
  sleep 0.1
done
[ -s "$saved" ] || { echo "FAIL: $saved was not written"; cat "$work/program.log"; exit 1; }

info=$(identify -format '%m %wx%h' "$saved")
[ "$info" = "PNG 72x24" ] || { echo "FAIL: saved '$info', not a 3-frame PNG strip of 24"; exit 1; }
fail=0
for probe in "0,0 red" "23,23 red" "24,0 lime" "47,23 lime" "48,0 blue" "71,23 blue"; do
  at=${probe% *}
  want=$(convert xc:"${probe#* }" -format '%[pixel:p{0,0}]' info:)
  got=$(convert "$saved" -format "%[pixel:p{$at}]" info:)
  [ "$got" = "$want" ] || { echo "FAIL: pixel $at is $got, not $want"; fail=1; }
done
[ "$fail" -eq 0 ] || exit 1
title=$(xdotool getwindowname "$window")
[ "$title" = "Tolvane - copy.png" ] || { echo "FAIL: caption after Save As is '$title'"; exit 1; }
echo "PASS: strip.png opened from the command line with 3 frames and saved as PNG"

xdotool mousemove --window "$window" 250 185 click 1
sleep 0.5
Exit_Through_Menu "$window"
