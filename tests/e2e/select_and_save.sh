#!/usr/bin/env bash
# Starts the real program under Xvfb, makes a new 32 x 32 animation, draws a
# black block, picks red, band-selects a region around the block with the
# mouse, drags it three cells right and two down, saves through the file
# dialog and checks every pixel of the saved file with ImageMagick.
# Usage: select_and_save.sh path/to/tolvane
set -uo pipefail

program=${1:?usage: select_and_save.sh path/to/tolvane}
source "$(dirname "$0")/x_session.sh"
command -v convert >/dev/null && command -v compare >/dev/null ||
  { echo "missing ImageMagick (scripts/deps.sh installs it)"; exit 1; }
Start_Program "$program"
Wait_For_Splash

# The window is the client area under the menu bar; client points below are
# the form's own coordinates.
read -r _ height < <(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
menu=$((height - 222))
At() { xdotool mousemove --window "$window" "$1" $(($2 + menu)); sleep 0.2; }
Click() { At "$1" "$2"; xdotool click 1; sleep 0.3; }
# Drag x1 y1 x2 y2: press, four moves, release.
Drag() {
  At "$1" "$2"
  xdotool mousedown 1
  sleep 0.1
  for s in 1 2 3 4; do
    xdotool mousemove --window "$window" $(($1 + ($3 - $1) * s / 4)) $(($2 + menu + ($4 - $2) * s / 4))
    sleep 0.1
  done
  xdotool mouseup 1
  sleep 0.3
}
# Menu FILE_KEY ITEM_KEY DIALOG_TITLE: opens a File menu item that shows a
# dialog, retrying when a busy machine drops the keys; prints the dialog's id.
Menu() {
  local dialog=""
  for attempt in 1 2 3; do
    Click 250 185 >/dev/null
    xdotool key alt+f
    sleep 0.5
    xdotool key "$1"
    dialog=$(Wait_For_Window "$2" 50) && break
    xdotool key Escape
  done
  [ -n "$dialog" ] && echo "$dialog"
}

dialog=$(Menu n '^Frame Size') || { echo "FAIL: File > New showed no dialog"; exit 1; }
xdotool mousemove --window "$dialog" 20 20
sleep 0.3
xdotool key Return  # Ok: 32 x 32, the preselected size
Wait_For_Title "$window" "Tolvane v2 - NewAnim.BMP" || { echo "FAIL: no new animation"; exit 1; }

# The zoom view starts at (193, 1), 4 screen pixels per frame pixel.
Click 51 47           # filled rectangle tool
Drag 202 10 214 22    # black, frame pixels 2..5 in both directions
Click 34 119          # red from the palette: the colour of the hole
Click 24 20           # select tool
Drag 198 6 222 26     # band: columns 1..6, rows 1..5
Drag 200 8 212 16     # take hold inside it and move by 3 and 2 cells

saved="$work/moved.bmp"
dialog=$(Menu s '^Save As$') || { echo "FAIL: File > Save showed no dialog"; exit 1; }
xdotool mousemove --window "$dialog" 300 200
sleep 0.3
xdotool key ctrl+a
xdotool type --delay 20 "$saved"
sleep 0.3
xdotool key Return
for _ in $(seq 50); do
  [ -s "$saved" ] && break
  sleep 0.1
done
[ -s "$saved" ] || { echo "FAIL: nothing saved"; cat "$work/program.log"; exit 1; }

# White; the hole red where the moved selection does not cover it; the
# selection (white with the black block) at columns 4..9, rows 3..7.
convert -size 32x32 xc:white +antialias -fill red -draw "rectangle 1,1 6,5" \
  -fill white -draw "rectangle 4,3 9,7" -fill black -draw "rectangle 5,4 8,7" \
  "$work/expected.png"
identify -format '%w x %h\n' "$saved"
Expect_Pixels "$saved" "$work/expected.png" "the expected picture"
echo "PASS: the saved file holds the moved selection"

Click 250 185 >/dev/null
Exit_Through_Menu
