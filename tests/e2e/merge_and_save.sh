#!/usr/bin/env bash
# Starts the real program under Xvfb, loads a 3-frame strip, merges a 2-frame
# file onto it without a transition (answering No), saves, and checks the
# saved file's frame count and the appended frames' pixels with ImageMagick.
# Usage: merge_and_save.sh path/to/tolvane
set -uo pipefail

program=${1:?usage: merge_and_save.sh path/to/tolvane}
command -v convert >/dev/null || { echo "missing ImageMagick (scripts/deps.sh installs it)"; exit 1; }
source "$(dirname "$0")/x_session.sh"

# 16-pixel frames: three red ones, then a file of a blue and a green one
# whose green frame has a white pixel at (3, 5).
anim="$work/anim.bmp"
more="$work/more.bmp"
convert -size 16x16 xc:red xc:red xc:red +append -type truecolor "BMP3:$anim"
convert -size 16x16 xc:blue \( xc:lime -fill white -draw 'point 3,5' \) +append \
  -type truecolor "BMP3:$more"

Start_Program "$program"
Wait_For_Splash

# Keys go where the pointer is: rest it on a window before typing into it.
Point_At() { xdotool mousemove --window "$1" 20 20; sleep 0.3; }

# Menu_Key letter: File menu, then the item's access key.
Menu_Key() {
  Point_At "$window"
  xdotool mousemove --window "$window" 250 185 click 1
  sleep 0.3
  xdotool key --window "$window" alt+f
  sleep 0.4
  xdotool key "$1"
}

# Choose_File 'dialog title' path: types the path into the open dialog.
Choose_File() {
  local dialog
  dialog=$(Wait_For_Window "^$1\$" 150) || { echo "FAIL: no dialog '$1'"; exit 1; }
  Point_At "$dialog"
  xdotool type --delay 20 "$2"
  sleep 0.3
  xdotool key Return
  for _ in $(seq 150); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  echo "FAIL: dialog '$1' did not close"
  exit 1
}

Menu_Key l
Choose_File 'Open\.\.\.' "$anim"
loaded=$(Wait_For_Window '^Tolvane v2 - anim\.bmp$' 150) || { echo "FAIL: anim.bmp not loaded"; exit 1; }
echo "loaded $anim"

Menu_Key m
Choose_File 'Merge\.\.\.' "$more"
question=$(Wait_For_Window '^Confirm$' 150) || { echo "FAIL: no transition question"; exit 1; }
Point_At "$question"
xdotool key alt+n  # No: a plain append (Escape would cancel the merge)
for _ in $(seq 150); do
  xdotool search --onlyvisible --name '^Confirm$' >/dev/null 2>&1 || break
  sleep 0.1
done
sleep 0.5
echo "merged $more"

before=$(stat -c %Y "$anim")
sleep 1
Menu_Key s
for _ in $(seq 150); do
  [ "$(stat -c %Y "$anim")" != "$before" ] && break
  sleep 0.1
done
[ "$(stat -c %Y "$anim")" != "$before" ] || { echo "FAIL: Save did not write $anim"; exit 1; }

size=$(identify -format '%w x %h' "$anim")
[ "$size" = "80 x 16" ] || { echo "FAIL: saved strip is $size, not 5 frames of 16 (80 x 16)"; exit 1; }

# Pixel x, y as "r,g,b" in 0..255.
Pixel() {
  convert "$anim" -format "%[fx:round(255*p{$1,$2}.r)],%[fx:round(255*p{$1,$2}.g)],%[fx:round(255*p{$1,$2}.b)]" info:
}
expect() {
  local got
  got=$(Pixel "$1" "$2")
  [ "$got" = "$3" ] || { echo "FAIL: pixel ($1, $2) is $got, expected $3"; exit 1; }
}
expect 0 0 255,0,0     # frame 0: the animation's own
expect 47 15 255,0,0   # frame 2: its last frame
expect 48 0 0,0,255    # frame 3: the merged file's first frame
expect 63 15 0,0,255
expect 64 0 0,255,0    # frame 4: its second frame
expect 67 5 255,255,255
expect 79 15 0,255,0
echo "PASS: 5 frames saved, the appended two as merged"
