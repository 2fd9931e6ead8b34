#!/usr/bin/env bash
# Starts the real program under Xvfb, waits for the splash to close, chooses
# File > Exit with the keyboard and checks that the program ended cleanly
# and wrote its settings file. Usage: start_and_exit.sh path/to/tolvane
set -uo pipefail

program=${1:?usage: start_and_exit.sh path/to/tolvane}
source "$(dirname "$0")/x_session.sh"
Start_Program "$program"
Wait_For_Splash
echo "splash came and went"

# Without a window manager the keyboard goes where the pointer is: click an
# empty spot of the window (below the tool panel, left of the preview), then
# File > Exit by its access keys. A busy machine may drop the first try.
for attempt in 1 2 3; do
  xdotool mousemove --window "$window" 250 185 click 1
  sleep 0.5
  xdotool key --window "$window" alt+f
  sleep 0.5
  xdotool key x
  for _ in $(seq 30); do
    kill -0 "$app_pid" 2>/dev/null || break 2
    sleep 0.1
  done
  echo "attempt $attempt: still running"
  xdotool key Escape
done

Wait_For_Exit || { echo "FAIL: the program did not end after File > Exit"; exit 1; }
echo "program ended with status $status"
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; cat "$work/program.log"; exit 1; }

ini="$XDG_CONFIG_HOME/tolvane/Tolvane.INI"
[ -s "$ini" ] || { echo "FAIL: $ini was not written"; exit 1; }
grep -q '^\[Colours\]' "$ini" && grep -q '^FPS=10' "$ini" ||
  { echo "FAIL: unexpected settings:"; cat "$ini"; exit 1; }
echo "PASS: settings written to $ini"
