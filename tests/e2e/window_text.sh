#!/usr/bin/env bash
# Starts the real program under Xvfb, makes a new 32 x 32 animation of ten
# frames, takes a picture of the main window and checks that the section line
# and the frame counter in its bottom line stand apart; then opens the About
# box from the menu and closes it with Escape.
# Usage: window_text.sh path/to/tolvane
set -uo pipefail

program=${1:?usage: window_text.sh path/to/tolvane}
source "$(dirname "$0")/x_session.sh"
command -v convert >/dev/null || { echo "missing ImageMagick (scripts/deps.sh installs it)"; exit 1; }
Start_Program "$program"
Wait_For_Splash

# The window is the client area under the menu bar.
read -r width height < <(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
menu=$((height - 222))
Click_Window() { xdotool mousemove --window "$window" 250 $((185 + menu)) click 1; sleep 0.3; }
# Menu TITLE KEY...: chooses a menu item by its access keys and waits for the
# window it shows, retrying when a busy machine drops the keys; prints its id.
Menu() {
  local title=$1 shown=""
  shift
  for attempt in 1 2 3; do
    Click_Window
    for key in "$@"; do
      xdotool key "$key"
      sleep 0.4
    done
    shown=$(Wait_For_Window "$title" 50) && break
    xdotool key Escape Escape
  done
  [ -n "$shown" ] && echo "$shown"
}

dialog=$(Menu '^Frame Size' alt+f n) || { echo "FAIL: File > New showed no dialog"; exit 1; }
xdotool mousemove --window "$dialog" 20 20
sleep 0.3
xdotool key Return  # Ok: 32 x 32, the preselected size
sleep 0.5
Click_Window
for _ in $(seq 9); do
  xdotool key ctrl+a
  sleep 0.2
done
sleep 0.5
shot="$work/main.png"
import -window "$window" "$shot" || { echo "FAIL: no picture of the window"; exit 1; }
[ -n "${KEEP_SHOT:-}" ] && cp "$shot" "$KEEP_SHOT"

# Ten frames, the first one current: the slots right of the middle show
# frames 2 and 3 instead of the grey of no frame.
slot4=$(convert "$shot" -format "%[fx:int(255*p{149,$((177 + menu))}.g)]" info:)
[ "$slot4" -gt 200 ] || { echo "FAIL: the frames were not added (slot 4 gray $slot4)"; exit 1; }

# The bottom line's labels are 13 high at client row 205. A column holds ink
# when any of its pixels is dark; the two texts must leave a wide gap of
# blank columns between them, far wider than a word space.
read -r first last gap_from gap_to < <(
  convert "$shot" -crop "${width}x13+0+$((205 + menu))" +repage -colorspace gray -depth 8 \
    -compress none pgm:- | awk -v w="$width" '
    NR == 1 { next }
    !dims { dims = 1; next }
    !maxv { maxv = 1; next }
    { for (i = 1; i <= NF; ++i) { if ($i < 110) ink[n % w] = 1; ++n } }
    END {
      first = -1; last = -1; prev = -1; best = 0
      for (x = 0; x < w; ++x) {
        if (!ink[x]) continue
        if (first < 0) first = x
        if (prev >= 0 && x - prev > best) { best = x - prev; from = prev; to = x }
        prev = x; last = x
      }
      print first, last, from, to
    }')
echo "bottom line ink from $first to $last; widest gap $gap_from..$gap_to"
[ "$first" -ge 0 ] && [ "$first" -le 10 ] || { echo "FAIL: no section line at the left"; exit 1; }
[ $((gap_to - gap_from)) -ge 12 ] ||
  { echo "FAIL: the section line and the frame counter run into each other"; exit 1; }
[ "$last" -gt 200 ] || { echo "FAIL: no frame counter right of the section line"; exit 1; }
echo "PASS: the bottom line's texts stand apart"

about=$(Menu '^About Tolvane$' alt+f h a) || { echo "FAIL: Help > About showed no box"; exit 1; }
xdotool mousemove --window "$about" 100 100
sleep 0.3
xdotool key Escape
for _ in $(seq 30); do
  Splash_Visible || break
  sleep 0.1
done
Splash_Visible && { echo "FAIL: Escape did not close the About box"; exit 1; }
echo "PASS: Escape closes the About box"
