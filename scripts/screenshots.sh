#!/usr/bin/env bash
# Renews the pictures of docs/guide.md: starts the built program under Xvfb
# with private settings, drives it with xdotool through each section of the
# guide on a sample animation made here, and writes one PNG per picture,
# cropped to its window (8-bit palette where that loses nothing). A step that
# does not reach its window stops the run with a message naming it.
# The same program gives the same pixels on every run: no picture is taken
# while playback runs, while the splash shows or while a text field holds the
# focus (its cursor blinks), and each is taken only once it stays still.
# Usage: scripts/screenshots.sh [path/to/tolvane] [output-folder]
#        (defaults: build/src/app/tolvane and docs/images)
#        SECTIONS="Effects Merge" scripts/screenshots.sh renews only those sections.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/src/app/tolvane}")
out=${2:-$root/docs/images}
[ -x "$program" ] || { echo "FAIL: no program at $program (build the target tolvane first)"; exit 1; }
for tool in convert import identify compare; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps.sh installs it)"; exit 1; }
done
mkdir -p "$out" || exit 1
out=$(realpath "$out")
source "$root/tests/e2e/x_session.sh"

section="start"
step="Xvfb"
Fail() {
  echo "FAIL: $section: $step: $*"
  [ -s "$work/program.log" ] && cat "$work/program.log"
  exit 1
}

# ---- the sample files ------------------------------------------------------

# ball.png: eight 32 x 32 frames of a blue ball bouncing over green ground.
# more.png: six frames of a red square growing, to merge onto it.
# sheet.png: a sprite sheet of two rows of three 48 x 40 cells, no strip.
Make_Samples() {
  local i x y frames=() more=() cells=()
  local heights=(4 10 15 18 18 15 10 4)
  for i in 0 1 2 3 4 5 6 7; do
    x=$((5 + i * 3))
    y=$((26 - ${heights[i]}))
    frames+=(\( -size 32x32 xc:white -fill '#008000' -draw 'rectangle 0,28 31,31'
      -fill '#0000ff' -draw "circle $x,$y $((x + 4)),$y" \))
  done
  convert "${frames[@]}" +append -type TrueColor "PNG24:$work/ball.png" || return 1
  for i in 0 1 2 3 4 5; do
    x=$((14 - 2 * i))
    more+=(\( -size 32x32 xc:yellow -fill '#ff0000' -draw "rectangle $x,$x $((31 - x)),$((31 - x))" \))
  done
  convert "${more[@]}" +append -type TrueColor "PNG24:$work/more.png" || return 1
  for i in 0 1 2 3 4 5; do
    x=$((8 + 4 * i))
    ((i % 3 == 0)) && cells+=('(')
    cells+=(\( -size 48x40 xc:'#ffff80' -fill '#800080' -draw "rectangle $x,6 $((x + 15)),33"
      -fill white -draw "rectangle $((x + 4)),12 $((x + 9)),17" \))
    ((i % 3 == 2)) && cells+=(+append ')')
  done
  convert "${cells[@]}" -append -type TrueColor "PNG24:$work/sheet.png" || return 1
  # A sprite on a transparent background, two frames.
  convert +antialias -size 32x32 xc:none -fill '#0000ff' -draw 'circle 15,15 15,5' \
    \( +antialias -size 32x32 xc:none -fill '#0000ff' -draw 'circle 15,18 15,8' \) +append "PNG32:$work/sprite.png"
}

# ---- the program -------------------------------------------------------------

# Launch [file]: the program on the shared display, past its splash; sets
# $window, $app_pid and $menu, the menu bar's height.
# A program that could not reach the server is started again on a new one.
Launch() {
  step="start-up"
  local attempt
  for attempt in 1 2 3; do
    "$program" "$@" >"$work/program.log" 2>&1 &
    app_pid=$!
    window=$(Wait_For_Window '^Tolvane v2' 100) && break
    echo "attempt $attempt: no main window"
    Quit
    Stop_Xvfb
    Start_Xvfb
  done
  [ -n "$window" ] || Fail "no main window"
  Wait_For_Splash
  Place "$window"
  menu=$((wh - 222)) # the client area of a 32-pixel document is 222 high
}

Quit() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  app_pid=""
}

# At x y: the pointer to a point of the main window's client area.
At() { xdotool mousemove --window "$window" "$1" $(($2 + menu)); }
Click() { At "$1" "$2"; xdotool click 1; sleep 0.3; }
# Drag x1 y1 x2 y2: a left-button drag in client coordinates.
Drag() {
  At "$1" "$2"; xdotool mousedown 1; sleep 0.2
  At $((($1 + $3) / 2)) $((($2 + $4) / 2)); sleep 0.2
  At "$3" "$4"; sleep 0.2
  xdotool mouseup 1; sleep 0.3
}
# Zoom_At x y: the client point over frame pixel (x, y) at 4:1.
Zoom_At() { echo $((193 + 4 * $1 + 2)) $((1 + 4 * $2 + 2)); }

# The tool buttons' centres; the palette cells'.
declare -A Tool=([select]="24 20" [pencil]="51 20" [line]="78 20" [syringe]="24 47"
  [rectangle]="51 47" [outline]="78 47" [fill]="24 74" [ellipse]="51 74")
Use_Tool() { Click ${Tool[$1]}; }
# Pick column row [button]: a palette cell, the left button by default.
Pick() { At $((12 + 9 * $1 + 4)) $((106 + 9 * $2 + 4)); xdotool click "${3:-1}"; sleep 0.3; }

# Rest: the pointer to a spot with no control and no hint, so that nothing
# is highlighted; keys still go to the window under it.
Rest() { At 250 175; xdotool click 1; sleep 0.3; }
Rest_On() { Place "$1"; xdotool mousemove $((wx + 2)) $((wy + wh - 2)); sleep 0.3; }

# Keys name...: keys to the main window, the pointer resting on it.
Keys() {
  Rest
  local k
  for k in "$@"; do xdotool key "$k"; sleep 0.3; done
}

# Menu key title [item-keys]: opens a menu with Alt+key, walks its items with
# the keys given and waits for a window titled title.
Menu() {
  local attempt id=""
  for attempt in 1 2 3; do
    Rest
    xdotool key "alt+$1"
    sleep 0.5
    for k in ${3:-}; do xdotool key "$k"; sleep 0.2; done
    id=$(Wait_For_Window "$2" 50) && { echo "$id"; return 0; }
    xdotool key Escape Escape
  done
  return 1
}

# ---- pictures ----------------------------------------------------------------

# Keep shot.png name: writes the picture into the output folder, as an 8-bit
# palette PNG when that gives the same pixels, without a time stamp.
Keep() {
  local target="$out/$2.png" plain=(-strip -define png:exclude-chunks=date,time)
  if [ "$(identify -format '%k' "$1")" -le 256 ]; then
    convert "$1" "${plain[@]}" "PNG8:$work/small.png" &&
      [ "$(compare -metric AE "$1" "$work/small.png" null: 2>&1)" = "0" ] &&
      mv "$work/small.png" "$target" && { echo "$2.png"; return 0; }
  fi
  convert "$1" "${plain[@]}" "PNG24:$target" || Fail "could not write $target"
  echo "$2.png (true colour)"
}

# Still grab-command...: runs the grab until three takes, 0.35 s apart,
# agree; a blinking text cursor never lets them.
Still() {
  local attempt
  for attempt in 1 2 3 4 5; do
    "$@" "$work/take1.png" && sleep 0.35 && "$@" "$work/take2.png" && sleep 0.35 &&
      "$@" "$work/take3.png" || Fail "could not take a picture"
    cmp -s "$work/take1.png" "$work/take2.png" && cmp -s "$work/take2.png" "$work/take3.png" &&
      return 0
    sleep 0.5
  done
  Fail "the picture does not keep still (a blinking cursor?)"
}
Grab_Window() { import -window "$Grab_Id" "$1" 2>/dev/null; }
# A menu or a drop-down list is a window of its own: its picture is the part
# of the screen that holds it and the window it belongs to.
Grab_All() { import -window root -crop "$Grab_Box" +repage "$1" 2>/dev/null; }

# Shoot window-id name: the window's picture.
Shoot() {
  Grab_Id=$1
  sleep 0.3
  Still Grab_Window
  Keep "$work/take3.png" "$2"
}

# Shoot_With window-id name: the window with the menus or lists it has open,
# the screen between them in the colour of the window's corner.
Shoot_With() {
  local id boxes=() x0=100000 y0=100000 x1=0 y1=0
  sleep 0.3
  for id in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
    [ "$id" = "$1" ] || [ "$id" != "$window" ] || continue
    Place "$id"
    [ "$ww" -gt 1 ] && [ "$wh" -gt 1 ] || continue
    boxes+=("$wx $wy $ww $wh")
    ((wx < x0)) && x0=$wx
    ((wy < y0)) && y0=$wy
    ((wx + ww > x1)) && x1=$((wx + ww))
    ((wy + wh > y1)) && y1=$((wy + wh))
  done
  [ "${#boxes[@]}" -gt 1 ] || Fail "no menu or list opened"
  Grab_Box="$((x1 - x0))x$((y1 - y0))+$x0+$y0"
  Still Grab_All
  local layers=() box
  for box in "${boxes[@]}"; do
    read -r wx wy ww wh <<<"$box"
    layers+=(\( "$work/take3.png" -crop "${ww}x$wh+$((wx - x0))+$((wy - y0))" +repage \)
      -geometry "+$((wx - x0))+$((wy - y0))" -composite)
  done
  Place "$1"
  local ground
  ground=$(convert "$work/take3.png" -format "%[pixel:p{$((wx - x0)),$((wy - y0))}]" info:)
  convert -size "$((x1 - x0))x$((y1 - y0))" "xc:$ground" "${layers[@]}" "$work/windows.png" ||
    Fail "could not cut out the windows"
  Keep "$work/windows.png" "$2"
}

Shoot_Main() { Rest; Shoot "$window" "$1"; }

# Dialog title-regex: waits for a dialog and prints its id.
Dialog() { Wait_For_Window "$1" 100 || Fail "no window titled $1"; }

# Gone title-regex: waits until the dialog has closed.
Gone() {
  for _ in $(seq 100); do
    [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  Fail "the window titled $1 did not close"
}

# ---- the sections of the guide ---------------------------------------------

First_Animation() {
  section="first animation"
  Launch
  step="File > New..."
  local size
  size=$(Menu f '^Frame Size\.\.\.$' n) || Fail "no Frame Size dialog"
  # The 32x32 choice takes the focus from the number field.
  xdotool mousemove --window "$size" 23 61 click 1
  Rest_On "$size"
  Shoot "$size" first-animation-new
  xdotool key Return
  Gone '^Frame Size\.\.\.$'
  step="drawing"
  Pick 3 0 # dark green ground
  Use_Tool rectangle
  Drag $(Zoom_At 0 27) $(Zoom_At 31 31)
  Pick 5 1 # blue ball
  Use_Tool ellipse
  Drag $(Zoom_At 9 8) $(Zoom_At 21 20)
  Pick 0 0 # a black outline around it
  Use_Tool pencil
  Drag $(Zoom_At 4 6) $(Zoom_At 4 22)
  Shoot_Main first-animation
  Quit
}

Tools_Colours() {
  section="tools and colours"
  Launch "$work/ball.png"
  step="colour pick"
  Use_Tool syringe
  Click $(Zoom_At 5 26) # the ball's colour becomes the first drawing colour
  Pick 2 1 3            # red as the second, with the right button
  step="zoom and grid"
  Click 166 74 # Zoom In
  Menu v '^Tolvane v2' "Down Return" >/dev/null || Fail "no View menu"
  Shoot_Main tools-colours
  Quit
}

Frames_Playback() {
  section="frames and playback"
  Launch "$work/ball.png"
  step="section marks"
  Click 141 135 # Next Frame
  Click 141 135
  Keys ctrl+s
  Click 141 135
  Click 141 135
  Click 141 135
  Keys ctrl+e
  step="onion skin"
  Menu v '^Tolvane v2' Return >/dev/null || Fail "no View menu"
  Shoot_Main frames-playback
  Quit
}

Selection_Clipboard() {
  section="selection and clipboard"
  Launch "$work/ball.png"
  step="selection"
  Pick 0 1 # white: the hole a lifted selection leaves takes the first colour
  Use_Tool select
  Drag $(Zoom_At 0 14) $(Zoom_At 11 27)
  Drag $(Zoom_At 5 20) $(Zoom_At 17 14) # lifted and moved
  Shoot_Main selection-move
  step="Edit menu"
  Rest
  xdotool key alt+e
  sleep 0.5
  Shoot_With "$window" selection-edit-menu
  xdotool key Escape
  Quit
}

# Step Backward and Forward in the Edit menu.
History() {
  section="history"
  Launch "$work/ball.png"
  step="Delete"
  Keys Delete
  local question
  question=$(Dialog '^Warning$') || exit 1
  Rest_On "$question"
  xdotool key Return
  Gone '^Warning$'
  step="a stroke, stepped back"
  Use_Tool pencil
  Drag $(Zoom_At 2 2) $(Zoom_At 20 8)
  Keys ctrl+z
  step="Edit menu"
  Rest
  xdotool key alt+e
  sleep 0.5
  Shoot_With "$window" history-edit-menu
  xdotool key Escape
  Quit
}

Retrieval() {
  section="cutting frames out of a sprite sheet"
  Launch "$work/sheet.png"
  step="the question of Load"
  local question dialog kind
  question=$(Dialog '^Warning$')
  Rest_On "$question"
  xdotool key Return
  Gone '^Warning$'
  step="Frame Retrieval dialog"
  dialog=$(Dialog '^Frame Retrieval\.\.\.$')
  # Cells of 48 x 40, all rows.
  Field() {
    xdotool mousemove --window "$dialog" "$1" "$2" click 1
    sleep 0.2
    xdotool key ctrl+a
    xdotool type "$3"
    xdotool key Tab
    sleep 0.3
  }
  Field 28 31 48
  Field 80 31 40
  xdotool mousemove --window "$dialog" 112 176 click 1 # All Rows
  # The conversion types, each shown; a radio button takes the focus.
  for kind in "crop 24 122" "scale 24 140" "stretch 112 122" "mount 112 140"; do
    read -r name x y <<<"$kind"
    # A cell smaller than the frame shows what Mount does.
    [ "$name" = mount ] && Field 137 31 64
    step="conversion $name"
    xdotool mousemove --window "$dialog" "$x" "$y" click 1
    Rest_On "$dialog"
    Shoot "$dialog" "retrieval-$name"
  done
  step="Ok"
  xdotool key Return
  Gone '^Frame Retrieval\.\.\.$'
  Shoot_Main retrieval-result
  Quit
}

Effects() {
  section="effects"
  Launch "$work/ball.png"
  step="Effects > Rotate..."
  local dialog
  dialog=$(Menu c '^Rotate\.\.\.$' "Down Return") || Fail "no Rotate dialog"
  xdotool mousemove --window "$dialog" 100 187 click 1 # No Frames
  xdotool key ctrl+a
  xdotool type 6
  # Two clicks right of the handle: two ticks of 36 degrees; the bar takes
  # the focus from the field.
  xdotool mousemove --window "$dialog" 270 148 click 1
  sleep 0.3
  xdotool click 1
  Rest_On "$dialog"
  Shoot "$dialog" effects-rotate
  step="Ok"
  xdotool key Return
  Gone '^Rotate\.\.\.$'
  Shoot_Main effects-result
  Quit
}

Merge() {
  section="merging with a transition"
  Launch "$work/ball.png"
  step="File > Merge Files..."
  local open question dialog
  open=$(Menu f '^Merge\.\.\.$' m) || Fail "no Merge... file dialog"
  Type_Into "$open" "$work/more.png" '^Merge\.\.\.$'
  step="the transition question"
  question=$(Dialog '^Confirm$')
  Rest_On "$question"
  Shoot "$question" merge-question
  xdotool key Return
  Gone '^Confirm$'
  step="Add Transition dialog"
  dialog=$(Dialog '^Add Transition\.\.\.$')
  xdotool mousemove --window "$dialog" 200 86 click 1 # the list of kinds
  sleep 0.5
  Rest_On "$dialog"
  Shoot_With "$dialog" merge-transition
  xdotool key Down Return # Slide Horizontal
  sleep 0.3
  xdotool key Return
  Gone '^Add Transition\.\.\.$'
  step="the merged frames"
  Click 141 110 # Last Frame, then back into the transition
  Click 116 135
  Click 116 135
  Click 116 135
  Shoot_Main merge-result
  Quit
}

Export() {
  section="export"
  Launch "$work/ball.png"
  local dialog
  step="File > Export GIF..."
  dialog=$(Menu f '^Export GIF$' g) || Fail "no Export GIF dialog"
  xdotool mousemove --window "$dialog" 23 32 click 1 # All frames
  Rest_On "$dialog"
  Shoot "$dialog" export-gif
  xdotool key Escape
  Gone '^Export GIF$'
  step="File > Export Sheet..."
  dialog=$(Menu f '^Export Sheet$' e) || Fail "no Export Sheet dialog"
  xdotool mousemove --window "$dialog" 23 32 click 1
  Rest_On "$dialog"
  Shoot "$dialog" export-sheet
  xdotool key Escape
  Gone '^Export Sheet$'
  Quit
  step="tolvane --export-sheet"
  "$program" --export-sheet "$work/walk.png" --columns 4 --padding 2 --scale 2 \
    --mount-colour 808080 "$work/ball.png" >/dev/null || Fail "the command failed"
  Keep "$work/walk.png" export-sheet-result
}

# The question after a crash.
Recovery() {
  section="recovery"
  Launch "$work/ball.png"
  step="a change"
  Use_Tool pencil
  Drag $(Zoom_At 2 2) $(Zoom_At 20 8)
  step="the recovery copy"
  # Written 30 s (or TOLVANE_RECOVERY_DELAY_MS) after the last change.
  sleep $((${TOLVANE_RECOVERY_DELAY_MS:-30000} / 1000 + 3))
  kill -KILL "$app_pid"
  wait "$app_pid" 2>/dev/null
  app_pid=""
  # The question names the time of the change: a fixed one keeps the
  # picture's pixels the same from run to run.
  sed -i 's/^Time=.*/Time=1796637600/' "$XDG_STATE_HOME"/tolvane/recovery/*.meta ||
    Fail "no recovery copy"
  step="the question at start-up"
  TZ=UTC "$program" >"$work/program.log" 2>&1 &
  app_pid=$!
  local id question=""
  for _ in $(seq 150); do
    for id in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
      case $(xdotool getwindowname "$id") in
        "Tolvane v2"* | "About Tolvane" | "") ;;
        *) question=$id ;;
      esac
    done
    [ -n "$question" ] && break
    sleep 0.1
  done
  [ -n "$question" ] || Fail "no recovery question"
  Rest_On "$question"
  Shoot "$question" recovery-question
  Quit
}

# A transparent PNG: the checkerboard in the zoom view.
Transparency() {
  section="transparency"
  Launch "$work/sprite.png"
  step="checkerboard"
  Click 166 74 # Zoom In
  Shoot_Main transparency
  Quit
}

# The window enlarged, the frame fitted.
Workspace() {
  section="workspace"
  Launch "$work/ball.png"
  step="a larger window"
  xdotool windowsize "$window" 640 480
  sleep 1
  Place "$window"
  [ "$ww" -eq 640 ] || Fail "the window did not grow"
  # The left margin under the palette stays clear at any size; the usual
  # resting spot may lie in the grown zoom view.
  At 2 150
  xdotool click 1
  xdotool key ctrl+0
  Shoot "$window" workspace
  Quit
}

# Palette from Animation fills the cells beside the tools of a larger window;
# the Palette menu open over it.
Palettes() {
  section="palettes"
  Launch "$work/ball.png"
  step="a larger window"
  xdotool windowsize "$window" 560 440
  sleep 1
  Place "$window"
  [ "$ww" -eq 560 ] || Fail "the window did not grow"
  # Below the cells the tool column stays clear; the usual resting spot may
  # lie in the grown zoom view.
  At 2 280
  xdotool click 1
  step="Palette from Animation"
  xdotool key alt+p
  sleep 0.5
  xdotool key a
  sleep 0.5
  step="Palette menu"
  xdotool key alt+p
  sleep 0.5
  Shoot_With "$window" palettes
  xdotool key Escape
  # The settings keep a palette: the sections after this one want the default.
  sleep 0.3
  xdotool key alt+p
  sleep 0.5
  xdotool key d
  sleep 3 # the settings are written once they have settled for a second
  Quit
}

step="sample files"
Make_Samples || Fail "could not make the sample files"
Start_Xvfb
export XDG_STATE_HOME="$work/state"
mkdir -p "$XDG_STATE_HOME"

# SECTIONS="Merge Export" renews only those pictures.
for run in ${SECTIONS:-First_Animation Tools_Colours Frames_Playback Selection_Clipboard \
  History Retrieval Effects Merge Export Workspace Recovery Transparency Palettes}; do
  $run
done
echo "PASS: pictures in $out"
