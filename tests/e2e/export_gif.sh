#!/usr/bin/env bash
# Draws a rectangle into a new 32 x 32 frame, adds three frames, marks all four
# as the section (Section > Reset Marks) and exports it with File > Export
# GIF..., taking the export dialog's choices with Enter: all frames at scale 1,
# 10 fps, Loop on. ImageMagick must then read four
# frames of 10 cs that loop forever, the first being the drawing.
# Usage: export_gif.sh path/to/tolvane
set -uo pipefail

program=${1:?usage: export_gif.sh path/to/tolvane}
for tool in convert compare identify; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps.sh installs it)"; exit 1; }
done
source "$(dirname "$0")/x_session.sh"
Start_Program "$program"
Wait_For_Splash
New_Drawn_Frame

# Frame > Add three times (Ctrl+A), then Section > Reset Marks (Ctrl+R).
Empty_Spot
for _ in 1 2 3; do
  xdotool key ctrl+a
  sleep 0.3
done
xdotool key ctrl+r
sleep 0.3

# File > Export GIF..., Enter in the export dialog (all frames, scale 1), the
# full path into the name field.
saved="$work/walk.gif"
Save_Through g '^Export GIF\.\.\.$' "$saved" "Export GIF" '^Export GIF$'

frames=$(identify -format '%T %wx%h\n' "$saved")
want=$(printf '10 32x32\n10 32x32\n10 32x32\n10 32x32')
[ "$frames" = "$want" ] || { echo "FAIL: frames (delay, size) are"; echo "$frames"; exit 1; }
grep -q 'NETSCAPE2.0' "$saved" || { echo "FAIL: the GIF does not loop"; exit 1; }
echo "exported 4 frames of 32 x 32 at 10 cs, looping"

convert "$saved[0]" -type TrueColor "$work/frame0.png"
convert -size 32x32 xc:white -fill black -draw 'rectangle 2,2 11,7' -type TrueColor "$work/drawn.png"
differ=$(compare -metric AE "$work/frame0.png" "$work/drawn.png" null: 2>&1)
[ "$differ" = "0" ] || { echo "FAIL: the first frame is not the drawing ($differ pixels differ)"; exit 1; }
convert "$saved[3]" -type TrueColor "$work/frame3.png"
differ=$(compare -metric AE "$work/frame3.png" -size 32x32 xc:white null: 2>&1)
[ "$differ" = "0" ] || { echo "FAIL: the last frame is not blank ($differ pixels differ)"; exit 1; }

kill "$app_pid" 2>/dev/null
app_pid=""
echo "PASS: section exported as a looping GIF and checked"
