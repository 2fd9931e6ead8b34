#!/usr/bin/env bash
# Starts the real program under Xvfb, makes a new animation, loads a GIMP
# palette (Palette > Load Palette...), opens the palette's tool window, picks
# its fifth colour there, draws one pixel with the pencil, saves, and checks
# that the pixel in the file has exactly that colour.
# Usage: palette_gpl.sh path/to/tolvane
set -uo pipefail

program=${1:?usage: palette_gpl.sh path/to/tolvane}
source "$(dirname "$0")/x_session.sh"
command -v convert >/dev/null || { echo "missing ImageMagick (scripts/deps.sh installs it)"; exit 1; }
Start_Program "$program"
Wait_For_Splash

palette="$work/site.gpl"
printf 'GIMP Palette\r\nName: Site\r\nColumns: 8\r\n#\r\n  0   0   0\tBlack\r\n255 255 255\tWhite\r\n' >"$palette"
printf '190  38  51\tRed\r\n224 111 139\tPink\r\n 18  52  86\tNight\r\n 73  60  43\tBrown\r\n' >>"$palette"

dialog=$(File_Menu n '^Frame Size') || { echo "FAIL: File > New showed no dialog"; exit 1; }
Place "$dialog"
xdotool mousemove $((wx + 20)) $((wy + 20))
sleep 0.3
xdotool key Return
Wait_For_Title "$window" "Tolvane v2 - NewAnim.BMP" || { echo "FAIL: no new animation"; exit 1; }

Palette_Menu() {
  Empty_Spot
  xdotool key alt+p
  sleep 0.5
  xdotool key "$1"
}
Palette_Menu l
load=$(Wait_For_Window '^Load Palette' 50) || { echo "FAIL: no Load Palette dialog"; exit 1; }
Type_Into "$load" "$palette" '^Load Palette'
Palette_Menu w
tool=$(Wait_For_Window '^Palette$' 50) || { echo "FAIL: no palette window"; exit 1; }
# Cells 13 pixels apart, sixteen a row: the fifth is the row's fifth.
xdotool mousemove --window "$tool" $((4 * 13 + 7)) 7 click 1
sleep 0.5
Pencil_At 5 6
sleep 0.3

saved="$work/drawn.bmp"
Save_Through s '^Save As$' "$saved" "Save"
pixel=$(convert "$saved" -format '%[hex:p{5,6}]' info:)
[ "$pixel" = "123456" ] || { echo "FAIL: the pixel is #$pixel, not the palette's fifth #123456"; exit 1; }
echo "PASS: the fifth colour of the loaded palette drew #123456"
Exit_Through_Menu
grep -q '^Colours=000000 FFFFFF BE2633 E06F8B 123456 493C2B$' "$XDG_CONFIG_HOME/tolvane/Tolvane.INI" ||
  { echo "FAIL: the settings do not keep the palette"; cat "$XDG_CONFIG_HOME/tolvane/Tolvane.INI"; exit 1; }
echo "PASS: the settings keep the palette"
