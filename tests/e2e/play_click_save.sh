#!/usr/bin/env bash
# Starts the real program on a strip of eight solid frames, plays it, clicks
# in the zoom view while it plays and saves: the click only stops playback,
# so the saved file has the same pixels as before.
# Usage: play_click_save.sh path/to/tolvane
set -uo pipefail

program=${1:?usage: play_click_save.sh path/to/tolvane}
source "$(dirname "$0")/x_session.sh"
command -v convert >/dev/null || { echo "missing convert (scripts/deps.sh installs it)"; exit 1; }

strip="$work/strip.bmp"
convert -size 32x32 xc:red xc:lime xc:blue xc:yellow xc:magenta xc:cyan xc:orange xc:purple \
  +append "BMP3:$strip" || { echo "FAIL: could not make the strip"; exit 1; }
cp "$strip" "$work/before.bmp"
Start_Program_On "$program" "$strip"
Wait_For_Splash
Wait_For_Window '^Tolvane v2 - strip\.bmp$' 100 >/dev/null ||
  { echo "FAIL: the strip did not open"; cat "$work/program.log"; exit 1; }

menu=$(($(xdotool getwindowgeometry --shell "$window" | sed -n 's/HEIGHT=//p') - 222))
xdotool mousemove --window "$window" 172 $((110 + menu)) click 1  # Play
sleep 1.3
Pencil_At 5 5
sleep 0.5
Save_In_Place "$strip" || { echo "FAIL: Save did not write the file"; exit 1; }
Expect_Pixels "$strip" "$work/before.bmp" "the strip as it was before playing"
echo "PASS: a click during playback drew nothing"
Exit_Through_Menu
