#!/usr/bin/env bash
# Draws a rectangle into a new 32 x 32 frame, turns it into an 8-frame rotate
# sequence (Effects > Rotate..., level 315, so 45 degrees a frame), saves it
# with Save As and checks the file with ImageMagick: 8 frames, and the frames
# turned by 90 and 180 degrees are exact turns of the first.
# Usage: rotate_and_save.sh path/to/tolvane
set -uo pipefail

program=${1:?usage: rotate_and_save.sh path/to/tolvane}
for tool in convert compare identify; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps.sh installs it)"; exit 1; }
done
source "$(dirname "$0")/x_session.sh"
Start_Program "$program"
Wait_For_Splash
New_Drawn_Frame

# Effects > Rotate... (the second item).
for attempt in 1 2 3; do
  Empty_Spot
  xdotool key alt+c
  sleep 0.5
  xdotool key Down Return
  effect_dialog=$(Wait_For_Window '^Rotate\.\.\.$' 30) && break
  echo "attempt $attempt: no rotate dialog"
  xdotool key Escape
done
[ -n "${effect_dialog:-}" ] || { echo "FAIL: Effects > Rotate did not open its dialog"; exit 1; }

# Level 315: the bar's handle sits in the middle at 0; End gives 360, one page
# (a tick, 36) down 324, nine steps left 315. Then 8 in No Frames, and Enter.
Place "$effect_dialog"
Click_At $((wx + 8 + 273 / 2)) $((wy + 146))
xdotool key End Page_Down
for _ in $(seq 9); do xdotool key Left; done
Click_At $((wx + 100)) $((wy + 187))
xdotool key ctrl+a
xdotool type 8
sleep 0.3
xdotool key Return
sleep 1
[ -z "$(xdotool search --onlyvisible --name '^Rotate\.\.\.$' 2>/dev/null)" ] ||
  { echo "FAIL: Enter did not close the rotate dialog"; exit 1; }

# File > Save As..., the full path into the name field.
saved="$work/turned.bmp"
Save_Through a '^Save As' "$saved" "Save As"

size=$(identify -format '%w x %h' "$saved")
[ "$size" = "256 x 32" ] || { echo "FAIL: the file is $size, not 8 frames of 32 x 32"; exit 1; }
echo "saved 8 frames: $size"

frame() { convert "$saved" -crop "32x32+$(($1 * 32))+0" +repage -type TrueColor "$work/frame$1.png"; }
for i in 0 2 4; do frame $i; done
# The drawn rectangle is in the first frame.
convert -size 32x32 xc:white -fill black -draw 'rectangle 2,2 11,7' -type TrueColor "$work/drawn.png"
differ=$(compare -metric AE "$work/frame0.png" "$work/drawn.png" null: 2>&1)
[ "$differ" = "0" ] || { echo "FAIL: the first frame is not the drawing ($differ pixels differ)"; exit 1; }
for turn in "2 90" "4 180"; do
  set -- $turn
  convert "$work/frame0.png" -rotate "$2" -type TrueColor "$work/want$1.png"
  differ=$(compare -metric AE "$work/frame$1.png" "$work/want$1.png" null: 2>&1)
  [ "$differ" = "0" ] || { echo "FAIL: frame $1 is not the drawing turned by $2 ($differ pixels differ)"; exit 1; }
  echo "frame $1 is the drawing turned $2 degrees clockwise"
done

kill "$app_pid" 2>/dev/null
app_pid=""
echo "PASS: rotate sequence saved and checked"
