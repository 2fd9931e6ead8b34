#!/usr/bin/env bash
# Starts the real program under Xvfb, waits for the splash to close, chooses
# File > Exit with the keyboard and checks that the program ended cleanly
# and wrote its settings file. Usage: start_and_exit.sh path/to/tolvane
set -uo pipefail

program=${1:?usage: start_and_exit.sh path/to/tolvane}
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps.sh installs it)"; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A display nobody uses: no lock file and no socket.
display=""
for n in $(seq 90 150); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
      display=":$n"
      break
    fi
    xvfb_pid=""
  fi
done
[ -n "$display" ] || { echo "FAIL: could not start Xvfb"; exit 1; }
export DISPLAY=$display
# The test suite runs with the offscreen platform; this test wants real X.
export QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"

"$program" >"$work/program.log" 2>&1 &
app_pid=$!

window=""
for _ in $(seq 100); do
  window=$(xdotool search --name '^Tolvane v2$' 2>/dev/null | head -1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "FAIL: no window titled 'Tolvane v2'"; cat "$work/program.log"; exit 1; }
echo "main window $window on $display"

# The About box shows as a splash over the main window ...
splash=""
for _ in $(seq 50); do
  splash=$(xdotool search --onlyvisible --name '^About Tolvane$' 2>/dev/null | head -1)
  [ -n "$splash" ] && break
  sleep 0.1
done
[ -n "$splash" ] || { echo "FAIL: no splash at start-up"; exit 1; }
echo "splash $splash"

# ... and closes by itself after 3 seconds.
sleep 3
for _ in $(seq 100); do
  [ -z "$(xdotool search --onlyvisible --name '^About Tolvane$' 2>/dev/null)" ] && break
  sleep 0.1
done
[ -z "$(xdotool search --onlyvisible --name '^About Tolvane$' 2>/dev/null)" ] ||
  { echo "FAIL: the splash did not close by itself"; exit 1; }
kill -0 "$app_pid" 2>/dev/null || { echo "FAIL: the program ended by itself"; exit 1; }

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

status=""
for _ in $(seq 100); do
  if ! kill -0 "$app_pid" 2>/dev/null; then
    wait "$app_pid"
    status=$?
    break
  fi
  sleep 0.1
done
app_pid_was=$app_pid
if [ -z "$status" ]; then
  echo "FAIL: the program did not end after File > Exit"
  exit 1
fi
app_pid=""
echo "program $app_pid_was ended with status $status"
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; cat "$work/program.log"; exit 1; }

ini="$XDG_CONFIG_HOME/tolvane/Tolvane.INI"
[ -s "$ini" ] || { echo "FAIL: $ini was not written"; exit 1; }
grep -q '^\[Colours\]' "$ini" && grep -q '^FPS=10' "$ini" ||
  { echo "FAIL: unexpected settings:"; cat "$ini"; exit 1; }
echo "PASS: settings written to $ini"
