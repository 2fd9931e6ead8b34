#!/usr/bin/env bash
# Opens a strip of three frames, draws in the first, deletes it, runs
# Brightness with the dialog's choices and saves as a new file; then steps
# back with Ctrl+Z three times and saves again: the file must hold the bytes
# of the one opened.
# Usage: step_back_and_save.sh path/to/tolvane
set -uo pipefail

program=${1:?usage: step_back_and_save.sh path/to/tolvane}
source "$(dirname "$0")/x_session.sh"
command -v convert >/dev/null || { echo "missing convert (scripts/deps.sh installs it)"; exit 1; }

strip="$work/strip.bmp"
convert -size 96x32 xc:red -fill lime -draw "rectangle 32,0 63,31" \
  -fill blue -draw "rectangle 64,0 95,31" "BMP3:$strip" || { echo "FAIL: no strip"; exit 1; }
cp "$strip" "$work/opened.bmp"
launcher="$work/launch.sh"
printf '#!/bin/sh\nexec "%s" "%s"\n' "$program" "$strip" >"$launcher"
chmod +x "$launcher"
Start_Program "$launcher"
Wait_For_Splash
Wait_For_Window '^Tolvane v2 - strip\.bmp$' 100 >/dev/null || { echo "FAIL: not opened"; exit 1; }

read -r _ height < <(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
menu=$((height - 222))
Main_Keys() { Empty_Spot; xdotool key "$@"; sleep 0.5; }
xdotool mousemove --window "$window" 220 $((20 + menu)) click 1  # the pencil
sleep 0.3
Main_Keys Delete
question=$(Wait_For_Window '^Warning$' 50) || { echo "FAIL: Delete asked nothing"; exit 1; }
xdotool mousemove --window "$question" 20 20
xdotool key Return
sleep 0.5
Main_Keys alt+c
xdotool key Return
effect=$(Wait_For_Window '^Brightness\.\.\.$' 30) || { echo "FAIL: no Brightness dialog"; exit 1; }
xdotool mousemove --window "$effect" 20 20
xdotool key Return
sleep 0.5
saved="$work/saved.bmp"
Save_Through a '^Save As' "$saved" "Save As"
cmp -s "$saved" "$work/opened.bmp" && { echo "FAIL: the three commands changed nothing"; exit 1; }
rm "$saved"
Main_Keys ctrl+z ctrl+z ctrl+z
Main_Keys alt+f s
for _ in $(seq 30); do [ -s "$saved" ] && break; sleep 0.1; done
cmp "$saved" "$work/opened.bmp" || { echo "FAIL: the saved file differs from the one opened"; exit 1; }
echo "PASS: three steps back and Save gave the file as opened"
