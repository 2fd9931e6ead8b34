# Sourced by the end-to-end scripts: starts Xvfb on a free display and the
# program on it, and tears both down on exit. After Start_Program:
#   $work     a scratch folder (removed on exit), $XDG_CONFIG_HOME inside it
#   $window   the main window's X id, $app_pid the program's process
# Wait_For_Splash waits until the About splash has come and gone, after which
# the window takes keys once the pointer is over it (there is no window manager).

for tool in Xvfb xdotool xdpyinfo; do
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

# Starts Xvfb (its screen $XVFB_SCREEN, 1024x768x24 unless set) and waits
# until it answers. Returns non-zero when it did not.
Try_Xvfb() {
  # Xvfb picks a free display itself and writes its number once it is ready,
  # so scripts that run at the same time never share one.
  display=""
  : >"$work/display"
  Xvfb -displayfd 1 -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp >"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    n=$(head -1 "$work/display" 2>/dev/null)
    if [ -n "$n" ]; then
      display=":$n"
      break
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$display" ] || return 1
  # Servers started side by side have been seen to report a display that a
  # client then cannot reach; only one that answers counts.
  for _ in $(seq 50); do
    xdpyinfo -display "$display" >/dev/null 2>&1 && return 0
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  return 1
}

Stop_Xvfb() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
}

Start_Xvfb() {
  for _ in 1 2 3; do
    Try_Xvfb && break
    Stop_Xvfb
  done
  [ -n "$xvfb_pid" ] || { echo "FAIL: could not start Xvfb"; cat "$work/xvfb.log"; exit 1; }
  export DISPLAY=$display
  # The test suite runs with the offscreen platform; these tests want real X.
  export QT_QPA_PLATFORM=xcb
  export XDG_CONFIG_HOME="$work/config"
  mkdir -p "$XDG_CONFIG_HOME"
}

# Start_Program path/to/tolvane: a program that could not reach its server
# is started again on a new one.
Start_Program() {
  for attempt in 1 2 3; do
    Start_Xvfb
    "$1" >"$work/program.log" 2>&1 &
    app_pid=$!
    window=""
    # Only a mapped window: the toolkit may hold a 1 x 1 window of the same
    # name that never shows, and keys and clicks sent to it are lost.
    for _ in $(seq 300); do
      window=$(xdotool search --onlyvisible --name '^Tolvane v2$' 2>/dev/null | head -1)
      [ -n "$window" ] && break
      kill -0 "$app_pid" 2>/dev/null || break
      sleep 0.1
    done
    [ -n "$window" ] && break
    echo "attempt $attempt: no window"
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
    app_pid=""
    Stop_Xvfb
  done
  [ -n "$window" ] || { echo "FAIL: no window titled 'Tolvane v2'"; cat "$work/program.log"; exit 1; }
  echo "main window $window on $display"
}

# Start_Program_On path/to/tolvane file: Start_Program runs the program
# without arguments, so a launcher adds the file to open.
Start_Program_On() {
  printf '#!/bin/sh\nexec "%s" "%s"\n' "$1" "$2" >"$work/launch.sh"
  chmod +x "$work/launch.sh"
  Start_Program "$work/launch.sh"
}

Splash_Visible() { [ -n "$(xdotool search --onlyvisible --name '^About Tolvane$' 2>/dev/null)" ]; }

# Wait_For_Splash: the splash shows at start-up and closes by itself after 3 s.
Wait_For_Splash() {
  local seen=""
  for _ in $(seq 50); do
    Splash_Visible && { seen=1; break; }
    sleep 0.1
  done
  [ -n "$seen" ] || { echo "FAIL: no splash at start-up"; exit 1; }
  sleep 3
  for _ in $(seq 100); do
    Splash_Visible || break
    sleep 0.1
  done
  Splash_Visible && { echo "FAIL: the splash did not close by itself"; exit 1; }
  kill -0 "$app_pid" 2>/dev/null || { echo "FAIL: the program ended by itself"; exit 1; }
}

# Wait_For_Window 'title regex' [tries]: prints the id of a visible window.
Wait_For_Window() {
  local id=""
  for _ in $(seq "${2:-100}"); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Wait_For_Exit [tries]: sets $status once the program has ended.
Wait_For_Exit() {
  status=""
  for _ in $(seq "${1:-100}"); do
    if ! kill -0 "$app_pid" 2>/dev/null; then
      wait "$app_pid"
      status=$?
      app_pid=""
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Wait_For_Title window title [tries]: waits until the window has the title.
Wait_For_Title() {
  for _ in $(seq "${3:-50}"); do
    [ "$(xdotool getwindowname "$1")" = "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

# Expect_Pixels file expected.png what: the script fails, listing the
# file's non-white pixels, unless the file has exactly the expected pixels.
Expect_Pixels() {
  local differing
  differing=$(compare -metric AE "$1" "$2" null: 2>&1)
  [ "$differing" = "0" ] || {
    echo "FAIL: $differing pixels differ from $3"
    convert "$1" txt:- | grep -v '#FFFFFF' | head -40
    exit 1
  }
}

# Exit_Through_Menu [window]: File > Exit by its access keys (sent to the
# window, if one is named); the script fails unless the program then ends
# with status 0.
Exit_Through_Menu() {
  xdotool key ${1:+--window "$1"} alt+f
  sleep 0.5
  xdotool key x
  Wait_For_Exit || { echo "FAIL: the program did not end after File > Exit"; exit 1; }
  [ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; exit 1; }
}

# Without a window manager the keyboard goes where the pointer is, so every
# step puts the pointer over the window that should take the keys. Points are
# in screen coordinates, from the window's place; the menu bar sits above the
# 222-pixel client area of a 32-pixel document.
Place() {
  read -r wx wy ww wh < <(xdotool getwindowgeometry --shell "$1" |
    awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}')
}
Click_At() { xdotool mousemove "$1" "$2" click 1; sleep 0.3; }
Empty_Spot() { Place "$window"; Click_At $((wx + 250)) $((wy + wh - 40)); }

# New_Drawn_Frame: File > New... with the default 32 x 32 (Enter), then the
# filled rectangle tool dragged in the zoom view (4:1) from frame pixel
# (2, 2) to (11, 7): black over x 2..11, y 2..7.
New_Drawn_Frame() {
  local attempt size_dialog=""
  for attempt in 1 2 3; do
    Empty_Spot
    xdotool key alt+f
    sleep 0.5
    xdotool key n
    size_dialog=$(Wait_For_Window '^Frame Size\.\.\.$' 30) && break
    echo "attempt $attempt: no frame size dialog"
    xdotool key Escape
  done
  [ -n "$size_dialog" ] || { echo "FAIL: File > New did not open the frame size dialog"; exit 1; }
  Place "$size_dialog"
  xdotool mousemove $((wx + 20)) $((wy + wh - 10))
  xdotool key Return
  sleep 1

  Place "$window"
  local menu=$((wh - 222))
  local client_x=$wx client_y=$((wy + menu))
  Click_At $((client_x + 39 + 12)) $((client_y + 35 + 12))
  local zoom_x=$((client_x + 193)) zoom_y=$((client_y + 1))
  xdotool mousemove $((zoom_x + 2 * 4 + 1)) $((zoom_y + 2 * 4 + 1)) mousedown 1
  sleep 0.2
  xdotool mousemove $((zoom_x + 7 * 4 + 1)) $((zoom_y + 5 * 4 + 1))
  sleep 0.2
  xdotool mousemove $((zoom_x + 11 * 4 + 1)) $((zoom_y + 7 * 4 + 1))
  sleep 0.2
  xdotool mouseup 1
  sleep 0.3
}

# Type_Into window-id text title-regex: types a path into a file dialog and
# presses Return until the dialog has gone.
Type_Into() {
  xdotool mousemove --window "$1" 40 40
  sleep 0.3
  xdotool key --window "$1" ctrl+a
  xdotool type --window "$1" --delay 20 "$2"
  sleep 0.3
  # A path completion popup may take the first Return. xdotool sends the
  # release to a window that may be gone by then, and the server would
  # repeat the key into the next dialog: release it where it is.
  for _ in 1 2 3; do
    xdotool key --window "$1" Return
    xdotool keyup Return
    sleep 1
    [ -z "$(xdotool search --onlyvisible --name "$3" 2>/dev/null)" ] && break
  done
}

# File_Menu access-key title-regex: opens a File menu item and prints the id
# of the window it opens.
File_Menu() {
  local id=""
  for attempt in 1 2 3; do
    xdotool mousemove --window "$window" 250 185 click 1
    sleep 0.5
    xdotool key --window "$window" alt+f
    sleep 0.5
    xdotool key "$1"
    id=$(Wait_For_Window "$2" 50) && { echo "$id"; return 0; }
    xdotool key Escape
  done
  return 1
}

# Save_Through key title-regex path what [first-regex]: opens File > (access
# key), accepts a dialog titled first-regex with Enter when one is given,
# types the full path into the save dialog's name field, and waits for the
# file.
Save_Through() {
  local attempt save_dialog="" first
  for attempt in 1 2 3; do
    Empty_Spot
    xdotool key alt+f
    sleep 0.5
    xdotool key "$1"
    if [ -n "${5:-}" ] && first=$(Wait_For_Window "$5" 30); then
      Place "$first"
      xdotool mousemove $((wx + 20)) $((wy + 20))
      sleep 0.3
      xdotool key Return
    fi
    save_dialog=$(Wait_For_Window "$2" 30) && break
    echo "attempt $attempt: no $4 dialog"
    xdotool key Escape
  done
  [ -n "$save_dialog" ] || { echo "FAIL: File > $4 did not open its dialog"; exit 1; }
  Place "$save_dialog"
  xdotool mousemove $((wx + ww / 2)) $((wy + wh / 2))
  sleep 0.3
  xdotool key ctrl+a
  xdotool type "$3"
  xdotool key Return
  for _ in $(seq 50); do
    [ -s "$3" ] && break
    sleep 0.1
  done
  [ -s "$3" ] || { echo "FAIL: $3 was not written"; cat "$work/program.log"; exit 1; }
}

# Pencil_At x y: clicks frame pixel (x, y) of a 32-pixel document in the 4:1
# zoom view, which the pencil, the tool at start-up, draws black.
Pencil_At() {
  local menu=$(($(xdotool getwindowgeometry --shell "$window" | sed -n 's/HEIGHT=//p') - 222))
  xdotool mousemove --window "$window" $((193 + 4 * $1 + 1)) $((menu + 1 + 4 * $2 + 1)) click 1
}

# Save_In_Place path: File > Save writes the open document over its own file,
# path; waits until the file has changed.
Save_In_Place() {
  local before
  before=$(stat -c %Y.%s "$1")
  xdotool mousemove --window "$window" 250 203 click 1 sleep 0.3 key alt+f
  sleep 0.5
  xdotool key s
  for _ in $(seq 50); do
    [ "$(stat -c %Y.%s "$1")" != "$before" ] && return 0
    sleep 0.1
  done
  return 1
}
