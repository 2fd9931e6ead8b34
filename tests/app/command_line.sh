#!/usr/bin/env bash
# Runs `tolvane` with export options and no display, as a build script would:
# each good run writes files that ImageMagick and a JSON parser read back; bad
# options end with status 2, a one-line message and the usage on standard
# error; an unreadable IN or an unwritable OUT with status 1; the settings
# file stays as it was. Usage: command_line.sh path/to/tolvane
set -uo pipefail
program=${1:?usage: command_line.sh path/to/tolvane}
for tool in convert identify python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps.sh installs it)"; exit 1; }
done
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config"
settings="$XDG_CONFIG_HOME/tolvane/Tolvane.INI"
mkdir -p "$HOME" "$(dirname "$settings")"
printf '[Last]\nFPS=3\n[Export]\nGifScale=5\n' >"$settings"
cp -p "$settings" "$work/settings.before"
cd "$work" || exit 1

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# run STATUS args...: runs the program, output in out.txt and err.txt.
run() {
  local want=$1
  shift
  "$program" "$@" >out.txt 2>err.txt
  local got=$?
  [ "$got" = "$want" ] || fail "tolvane $* exited $got, not $want: $(head -3 err.txt)"
}

# Seven frames of 16 x 16, each one colour, as BMP and PNG.
convert -size 16x16 xc:red xc:lime xc:blue xc:yellow xc:cyan xc:magenta xc:white +append \
  -type TrueColor strip.png
convert strip.png BMP3:strip.bmp

# A GIF of frames 2 to 5 at twice the size and 20 fps, once, lime clear.
run 0 --export-gif walk.gif --scale 2 --fps 20 --section 2-5 --no-loop --transparent \
  --mount-colour 00FF00 strip.bmp
frames=$(identify -format '%T %wx%h %[fx:p{0,0}.a]\n' walk.gif 2>&1)
[ "$frames" = "$(printf '5 32x32 0\n5 32x32 1\n5 32x32 1\n5 32x32 1')" ] ||
  fail "the GIF's frames (delay, size, alpha) are: $frames"
grep -q NETSCAPE2.0 walk.gif && fail "the GIF loops after --no-loop"
run 0 --export-gif loop.gif strip.png
[ "$(identify -format '%T %wx%h\n' loop.gif | sort | uniq -c | tr -s ' ')" = " 7 10 16x16" ] ||
  fail "the default GIF is not 7 frames of 16 x 16 at 10 cs"
grep -q NETSCAPE2.0 loop.gif || fail "the default GIF does not loop"

# A sheet of three columns with 2 pixels of padding, and its JSON.
run 0 --export-sheet sheet.png --columns 3 --padding 2 --scale 2 strip.png
[ "$(identify -format '%wx%h' sheet.png)" = "100x100" ] ||
  fail "the sheet is $(identify -format '%wx%h' sheet.png), not 100x100"
python3 - <<'PY' || fail "the sheet's JSON"
import json
doc = json.load(open("sheet.json"))
assert doc["meta"]["image"] == "sheet.png", doc["meta"]
assert doc["meta"]["size"] == {"w": 100, "h": 100}, doc["meta"]
assert len(doc["frames"]) == 7
assert doc["frames"][4]["frame"] == {"x": 34, "y": 34, "w": 32, "h": 32}, doc["frames"][4]
assert all(f["duration"] == 100 for f in doc["frames"])
PY
[ "$(convert sheet.png -format '%[hex:p{40,40}] %[hex:p{33,0}]' info:)" = "00FFFF 000000" ] ||
  fail "the fifth cell is not cyan, or the padding not black"

run 0 --help
for option in --export-gif --export-sheet --scale --fps --section --no-loop --transparent \
  --columns --padding --mount-colour --help --version; do
  grep -q -- "$option" out.txt || fail "--help does not describe $option"
done
run 0 --version
grep -q '^Tolvane v2' out.txt || fail "--version printed: $(cat out.txt)"

# Bad options: status 2, one line of message, then the usage.
bad_options=(
  "--export-gif x.gif --scale 9 strip.png"
  "--export-gif x.gif --fps 0 strip.png"
  "--export-gif"
  "--export-gif x.gif --bogus strip.png"
  "--export-gif x.gif --export-sheet y.png strip.png"
  "--export-gif x.gif"
  "--export-gif x.gif strip.png strip.bmp"
  "--export-gif x.gif --columns 2 strip.png"
  "--export-sheet y.png --transparent strip.png"
  "--export-sheet y.png --padding 17 strip.png"
  "--export-sheet y.png --section 5-2 strip.png"
  "--export-sheet y.png --section 6-9 strip.png"
  "--export-gif x.gif --mount-colour red strip.png"
  "--scale 2 strip.png"
)
for options in "${bad_options[@]}"; do
  # shellcheck disable=SC2086
  run 2 $options
  { head -1 err.txt | grep -q '^tolvane: ' && sed -n 2p err.txt | grep -q '^Usage: tolvane'; } ||
    fail "tolvane $options: standard error is: $(cat err.txt)"
done
[ -e x.gif ] || [ -e y.png ] && fail "a bad run wrote a file"

# Unreadable IN, no strip, unwritable OUT: status 1 and the program's message.
run 1 --export-gif x.gif missing.bmp
grep -q 'Cannot open file' err.txt || fail "missing IN: $(cat err.txt)"
convert -size 20x16 xc:red odd.png
run 1 --export-sheet y.png odd.png
grep -q 'not a valid animation bitmap' err.txt || fail "odd IN: $(cat err.txt)"
run 1 --export-sheet no/such/folder/y.png strip.png
grep -q 'Cannot create file' err.txt || fail "unwritable OUT: $(cat err.txt)"

cmp -s "$settings" "$work/settings.before" || fail "the settings file changed"
[ "$(stat -c %Y "$settings")" = "$(stat -c %Y "$work/settings.before")" ] ||
  fail "the settings file was written"
[ "$(ls -A "$(dirname "$settings")")" = "Tolvane.INI" ] || fail "files beside the settings"

[ "$failures" = 0 ] || exit 1
echo "PASS: exports, help, version and exit statuses without a display"
