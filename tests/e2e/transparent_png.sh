#!/usr/bin/env bash
# Opens a PNG strip drawn on a transparent background, draws one pixel on the
# background with the pencil, saves in place and reads the file back with
# Pillow: the background is still fully transparent, the drawn pixel and the
# sprites solid.
# Usage: transparent_png.sh path/to/tolvane
set -uo pipefail

program=${1:?usage: transparent_png.sh path/to/tolvane}
source "$(dirname "$0")/x_session.sh"
py=/usr/bin/python3
$py -c 'import PIL' 2>/dev/null || { echo "missing Pillow (scripts/deps.sh installs it)"; exit 1; }

# Two frames of 32: a red and a blue square on a clear background, and one
# black pixel, so that black, the pencil's colour, is not the transparent one.
strip="$work/sprite.png"
$py - "$strip" <<'PY' || { echo "FAIL: no strip"; exit 1; }
import sys
from PIL import Image, ImageDraw
im = Image.new("RGBA", (64, 32), (0, 0, 0, 0))
d = ImageDraw.Draw(im)
d.rectangle((8, 8, 23, 23), fill=(255, 0, 0, 255))
d.rectangle((40, 8, 55, 23), fill=(0, 0, 255, 255))
im.putpixel((30, 30), (0, 0, 0, 255))
im.save(sys.argv[1])
PY
Start_Program_On "$program" "$strip"
Wait_For_Splash
Wait_For_Window '^Tolvane v2 - sprite\.png$' 100 >/dev/null ||
  { echo "FAIL: not opened"; cat "$work/program.log"; exit 1; }

Pencil_At 2 3
sleep 0.5
Save_In_Place "$strip" || { echo "FAIL: Save wrote nothing"; cat "$work/program.log"; exit 1; }

# x, y, alpha wanted, and the colour for solid pixels.
$py - "$strip" <<'PY' || exit 1
import sys
from PIL import Image
im = Image.open(sys.argv[1]).convert("RGBA")
want = [((0, 0), 0, None), ((63, 31), 0, None), ((33, 2), 0, None), ((2, 3), 255, (0, 0, 0)),
        ((8, 8), 255, (255, 0, 0)), ((55, 23), 255, (0, 0, 255))]
fail = False
for (x, y), alpha, rgb in want:
    px = im.getpixel((x, y))
    if px[3] != alpha or (rgb and px[:3] != rgb):
        print("FAIL: pixel %d,%d is %s" % (x, y, px))
        fail = True
clear = sum(1 for a in im.getchannel("A").getdata() if a == 0)
if clear != 64 * 32 - 2 * 16 * 16 - 2:
    print("FAIL: %d clear pixels" % clear)
    fail = True
sys.exit(1 if fail else 0)
PY
echo "PASS: a transparent PNG drawn on and saved keeps its clear background"
Exit_Through_Menu "$window"
