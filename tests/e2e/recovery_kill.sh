#!/usr/bin/env bash
# Kills the real program and starts it again, 20 times side by side, each on
# its own Xvfb. A run opens a white strip, draws one pixel, waits for the
# recovery copy, draws a second pixel and is killed with SIGKILL at a random
# moment from 4 s before to 4 s after the copy's delay (30 s, or the whole
# seconds of TOLVANE_RECOVERY_DELAY_MS, at least 5). The next start must
# offer the copy, and Yes then Save must give the strip with both pixels, or,
# when the kill came before the delay was up, with the first pixel alone:
# never anything else, and no damaged copy.
# Usage: recovery_kill.sh path/to/tolvane [runs]
set -uo pipefail
program=${1:?usage: recovery_kill.sh path/to/tolvane [runs]}

if [ "${3:-}" != --once ]; then
  logs=$(mktemp -d)
  trap 'rm -rf "$logs"' EXIT
  for i in $(seq "${2:-20}"); do "$0" "$program" 1 --once >"$logs/$i" 2>&1 & done
  failed=0
  for job in $(jobs -p); do wait "$job" || failed=$((failed + 1)); done
  grep -h '^run:' "$logs"/*
  [ "$failed" -eq 0 ] && { echo "PASS: every kill recovered"; exit 0; }
  grep -L '^PASS' "$logs"/* | xargs cat
  echo "FAIL: $failed runs"
  exit 1
fi

source "$(dirname "$0")/x_session.sh"
export XDG_STATE_HOME="$work/state"
Fail() {
  echo "FAIL: $1"
  cat "$work"/*.log
  xdotool getwindowgeometry "$window"
  import -window root "/tmp/kill-fail-$$.png" && echo "screen: /tmp/kill-fail-$$.png"
  exit 1
}
convert -size 96x32 xc:white PNG24:"$work/walk.png"
printf '#!/bin/sh\nexec "%s" "%s"\n' "$program" "$work/walk.png" >"$work/start"
chmod +x "$work/start"
Start_Program "$work/start"
Wait_For_Splash
Wait_For_Window '^Tolvane v2 - walk.png$' >/dev/null || Fail "the strip did not open"

ax=$((RANDOM % 32)) ay=$((RANDOM % 32)) bx=$((RANDOM % 32)) by=$((RANDOM % 32))
delay=$((${TOLVANE_RECOVERY_DELAY_MS:-30000} / 1000))
kill_after=$((delay - 4 + RANDOM % 9))
First_Copy() { ls "$XDG_STATE_HOME"/tolvane/recovery/*.meta >/dev/null 2>&1; }
# A click sent while a loaded machine is still showing the window can miss;
# the same pixel again changes nothing else.
for attempt in 1 2 3; do
  Pencil_At "$ax" "$ay"
  for _ in $(seq 40); do
    sleep 1
    First_Copy && break 2
  done
done
First_Copy || Fail "no recovery copy of the first pixel"
Pencil_At "$bx" "$by"
sleep "$kill_after"
kill -KILL "$app_pid"
wait "$app_pid" 2>/dev/null

for attempt in 1 2 3; do  # a loaded server may refuse the first connection
  "$program" >"$work/second.log" 2>&1 &
  app_pid=$!
  Wait_For_Window '^Tolvane v2$' >/dev/null && break
done
Wait_For_Splash
question=$(Wait_For_Window '^Confirm$' 300) ||
  Fail "no recovery offered; the folder holds: $(ls -R "$XDG_STATE_HOME/tolvane" 2>&1 | tr '\n' ' ')"
xdotool mousemove --window "$question" 10 10 key Return
window=$(Wait_For_Window '^Tolvane v2 - walk.png$' 50) || Fail "nothing recovered"
Save_In_Place "$work/walk.png" || Fail "Save wrote nothing"

echo "run: pixels ($ax,$ay) ($bx,$by), killed $kill_after s after the second"
Drawn() { convert -size 96x32 xc:white -fill black -draw "point $1,$2" ${3:+-draw "point $3,$4"} "$work/expected.png"; }
Same() { [ "$(compare -metric AE "$work/walk.png" "$work/expected.png" null: 2>&1)" = 0 ]; }
Drawn "$ax" "$ay" "$bx" "$by"
if ! Same; then
  Drawn "$ax" "$ay"
  { [ "$kill_after" -le "$delay" ] && Same; } || Fail "the recovered strip is neither state"
  echo "run: killed before the second copy, the first came back"
fi
[ -e "$XDG_STATE_HOME/tolvane/recovery/damaged" ] && Fail "a copy was damaged"
echo "PASS"
