#!/usr/bin/env bash
# Starts the real program with its recovery folder on a full disk (a 16 KB
# tmpfs in a mount namespace of its own, smaller than the strip's copy),
# draws, and lets two copies fail a delay apart (30 s, or the whole seconds of
# TOLVANE_RECOVERY_DELAY_MS): one warning in the session, no second, and the
# drawing before and after it is all in the saved strip.
# Usage: recovery_disk_full.sh path/to/tolvane
set -uo pipefail
program=${1:?usage: recovery_disk_full.sh path/to/tolvane}
source "$(dirname "$0")/x_session.sh"
unshare -rm true 2>/dev/null || { echo "FAIL: cannot make a mount namespace (unshare -rm)"; exit 1; }

export XDG_STATE_HOME="$work/state"
mkdir -p "$XDG_STATE_HOME"
convert -size 640x32 xc: +noise Random PNG24:"$work/noise.png"
cat >"$work/start" <<EOF
#!/bin/sh
exec unshare -rm sh -c 'mount -t tmpfs -o size=16k tmpfs "\$XDG_STATE_HOME" && exec "$program" "$work/noise.png"'
EOF
chmod +x "$work/start"
Start_Program "$work/start"
Wait_For_Splash
Wait_For_Window '^Tolvane v2 - noise.png$' >/dev/null || { echo "FAIL: the strip did not open"; exit 1; }

wait_copy=$((${TOLVANE_RECOVERY_DELAY_MS:-30000} / 1000 + 2))
Warnings() { xdotool search --onlyvisible --name '^Warning$' 2>/dev/null | wc -l; }

Pencil_At 3 4
sleep "$wait_copy"
[ "$(Warnings)" = 1 ] || { echo "FAIL: the failed copy showed no warning"; exit 1; }
xdotool mousemove --window "$(xdotool search --onlyvisible --name '^Warning$')" 10 10 key Return
sleep 1
Pencil_At 20 9
sleep "$wait_copy"
[ "$(Warnings)" = 0 ] || { echo "FAIL: a second warning in one session"; exit 1; }
kill -0 "$app_pid" || { echo "FAIL: the program ended"; exit 1; }

convert "$work/noise.png" -fill black -draw "point 3,4" -draw "point 20,9" "$work/expected.png"
Save_In_Place "$work/noise.png" || { echo "FAIL: Save wrote nothing"; exit 1; }
differing=$(compare -metric AE "$work/noise.png" "$work/expected.png" null: 2>&1)
[ "$differing" = 0 ] || { echo "FAIL: $differing pixels differ from the drawing"; exit 1; }
echo "PASS: one warning, drawing undisturbed"
