#!/usr/bin/env bash
# Starts the real program on a strip of five solid frames at 2 fps, makes the
# second frame current, marks the section 1 to 2, plays, and presses Del
# while playing. The question must come with playback stopped and the frame
# it deletes shown in the zoom view; Yes, Save As, and the saved strip must be
# the five frames less that one, compared with ImageMagick.
# Usage: play_delete_save.sh path/to/tolvane
set -uo pipefail

program=${1:?usage: play_delete_save.sh path/to/tolvane}
source "$(dirname "$0")/x_session.sh"
for tool in convert compare import; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps.sh installs it)"; exit 1; }
done

colours=(red lime blue yellow magenta)
strip="$work/strip.bmp"
convert -size 160x32 xc:red -fill lime -draw "rectangle 32,0 63,31" \
  -fill blue -draw "rectangle 64,0 95,31" -fill yellow -draw "rectangle 96,0 127,31" \
  -fill magenta -draw "rectangle 128,0 159,31" "BMP3:$strip" ||
  { echo "FAIL: could not make the strip"; exit 1; }
mkdir -p "$work/config/tolvane"
printf '[Last]\nFPS=2\n' >"$work/config/tolvane/Tolvane.INI"

Start_Program_On "$program" "$strip"
Wait_For_Splash
Wait_For_Window '^Tolvane v2 - strip\.bmp$' 100 >/dev/null ||
  { echo "FAIL: the strip did not open"; cat "$work/program.log"; exit 1; }

read -r _ height < <(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
menu=$((height - 222))
Click() { xdotool mousemove --window "$window" "$1" $(($2 + menu)) click 1; sleep 0.3; }
# Colour_At x y: the colour name of a client pixel, from a picture of the screen.
Colour_At() {
  import -window root "$work/shot.png"
  read -r wx wy < <(xdotool getwindowgeometry --shell "$window" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} END{print x, y}')
  convert "$work/shot.png" -format "%[pixel:p{$((wx + $1)),$((wy + $2 + menu))}]" info:
}
Name_Of() { convert xc:"$1" -format '%[pixel:p{0,0}]' info:; }
zoom_x=250 zoom_y=20 preview_x=350 preview_y=176  # above the question box

Click 141 135  # Next Frame: frame 2 of 5
xdotool key ctrl+e  # the section is 1 to 2
sleep 0.3
[ "$(Colour_At $zoom_x $zoom_y)" = "$(Name_Of lime)" ] || { echo "FAIL: frame 2 is not shown"; exit 1; }
Click 172 110  # Play
# Del once a tick has moved the preview on to frame 1, with the counter and
# the zoom view still on frame 2.
red=$(Name_Of red)
for _ in $(seq 30); do
  [ "$(Colour_At $preview_x $preview_y)" = "$red" ] && break
done
xdotool key Delete
question=$(Wait_For_Window '^Warning$' 50) || { echo "FAIL: Delete asked nothing"; exit 1; }

shown=$(Colour_At $zoom_x $zoom_y)
# Three looks at the preview over more than one tick's time: a running
# playback would show the other frame of the section in at least one.
for _ in 1 2 3; do
  [ "$(Colour_At $preview_x $preview_y)" = "$shown" ] ||
    { echo "FAIL: the preview shows another frame than the zoom view: playback runs on"; exit 1; }
  sleep 0.25
done
deleted=-1
for i in "${!colours[@]}"; do
  [ "$(Name_Of "${colours[$i]}")" = "$shown" ] && deleted=$i
done
[ "$deleted" -ge 0 ] || { echo "FAIL: the zoom view shows $shown, no frame's colour"; exit 1; }
echo "asked with frame $((deleted + 1)) (${colours[$deleted]}) shown"
xdotool mousemove --window "$question" 20 20
sleep 0.3
xdotool key Return  # Yes, the default button
sleep 0.5

saved="$work/saved.bmp"
Save_Through a '^Save As' "$saved" "Save As"

kept=()
for i in "${!colours[@]}"; do
  [ "$i" -ne "$deleted" ] && kept+=("xc:${colours[$i]}")
done
convert -size 32x32 "${kept[@]}" +append "$work/expected.png"
differing=$(compare -metric AE "$saved" "$work/expected.png" null: 2>&1)
[ "$differing" = "0" ] || {
  echo "FAIL: the saved strip ($(identify -format '%wx%h' "$saved")) differs from the four kept frames in $differing pixels"
  exit 1
}
echo "PASS: playback stopped before the question, and the frame shown was the one deleted"

Click 250 185
Exit_Through_Menu
