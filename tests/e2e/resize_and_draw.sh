#!/usr/bin/env bash
# Starts the real program under Xvfb, makes a new 32 x 32 animation, enlarges
# the window to 1280 x 960 with xdotool (there is no window manager), fits
# the frame to the larger view (Ctrl+0, the frame centred), draws a line
# across the view where it reaches past its old 128 pixels, saves, and checks the line's pixels in
# the file with ImageMagick. Then it starts the program again and checks that
# the window comes back at its size.
# Usage: resize_and_draw.sh path/to/tolvane
set -uo pipefail

program=${1:?usage: resize_and_draw.sh path/to/tolvane}
source "$(dirname "$0")/x_session.sh"
command -v convert >/dev/null && command -v compare >/dev/null ||
  { echo "missing ImageMagick (scripts/deps.sh installs it)"; exit 1; }
# Room for the enlarged window.
XVFB_SCREEN=1600x1200x24
Start_Program "$program"
Wait_For_Splash

Size_Of() { xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p'; }
read -r _ height < <(Size_Of "$window")
menu=$((height - 222))
At() { xdotool mousemove --window "$window" "$1" $(($2 + menu)); sleep 0.2; }
Click() { At "$1" "$2"; xdotool click 1; sleep 0.3; }
dialog=$(File_Menu n '^Frame Size') || { echo "FAIL: File > New showed no dialog"; exit 1; }
xdotool mousemove --window "$dialog" 20 20
sleep 0.3
xdotool key Return  # Ok: 32 x 32
Wait_For_Title "$window" "Tolvane v2 - NewAnim.BMP" || { echo "FAIL: no new animation"; exit 1; }

# At the screen's top left, so that the whole enlarged view is on the screen.
xdotool windowmove "$window" 0 0
xdotool windowsize "$window" 1280 960
for _ in $(seq 50); do
  [ "$(Size_Of "$window")" = "1280 960" ] && break
  sleep 0.1
done
sleep 0.5
[ "$(Size_Of "$window")" = "1280 960" ] || { echo "FAIL: the window is $(Size_Of "$window")"; exit 1; }
echo "window enlarged to 1280 x 960"

Click 60 150
xdotool key ctrl+0  # Fit: the largest factor at which the frame fits the larger view
sleep 0.5
Click 78 20  # line tool
# The view starts at (193, 1) and takes the window's extra room; the fitted
# frame sits in its middle, z view pixels a frame pixel. From (1, 30) to
# (31, 0): the line covers both ends.
read -r width height < <(Size_Of "$window")
view_w=$((128 + width - 373)) view_h=$((128 + height - menu - 222))
z=$(( (view_w < view_h ? view_w : view_h) / 32 ))
[ "$z" -gt 32 ] && z=32
zx=$((193 + (view_w - 32 * z) / 2 + z / 2)) zy=$((1 + (view_h - 32 * z) / 2 + z / 2))
echo "fitted at $z:1"
At $((zx + z)) $((zy + 30 * z))
xdotool mousedown 1
sleep 0.1
for s in 1 2 3 4 5 6; do
  xdotool mousemove --window "$window" $((zx + z + 30 * z * s / 6)) $((zy + menu + 30 * z - 30 * z * s / 6))
  sleep 0.1
done
xdotool mouseup 1
sleep 0.3

saved="$work/line.bmp"
Save_Through s '^Save As$' "$saved" "Save"

# White with a black diagonal from (1, 30) to (31, 0).
points=""
for i in $(seq 0 30); do points+="point $((1 + i)),$((30 - i)) "; done
convert -size 32x32 xc:white -fill black -draw "$points" "$work/expected.png"
Expect_Pixels "$saved" "$work/expected.png" "the expected line"
echo "PASS: the line drawn across the enlarged view is in the saved file"

Click 60 150 >/dev/null
Exit_Through_Menu
grep -q "^Width=1280$" "$XDG_CONFIG_HOME/tolvane/Tolvane.INI" ||
  { echo "FAIL: the size was not kept"; cat "$XDG_CONFIG_HOME/tolvane/Tolvane.INI"; exit 1; }

# The next start restores the size.
Stop_Xvfb
Start_Program "$program"
Wait_For_Splash
[ "$(Size_Of "$window")" = "1280 960" ] ||
  { echo "FAIL: the window came back at $(Size_Of "$window")"; exit 1; }
echo "PASS: the next start restores 1280 x 960"
