#!/usr/bin/env bash
# Runs `tolvane` with export options and no display, as a build script would:
# each good run writes files that ImageMagick and a JSON parser read back; one
# table of faults checks that bad options end with status 2, a one-line
# message and the usage, an unreadable IN or an unwritable OUT with status 1,
# each message names the file and what is wrong, and no fault touches a file;
# the settings file stays as it was. Usage: command_line.sh path/to/tolvane
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
  # A run that waits for anything (a window, a pipe) fails here.
  timeout 20 "$program" "$@" >out.txt 2>err.txt </dev/null
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
  --no-dither --columns --json-frames --padding --mount-colour --help --version; do
  grep -q -- "$option" out.txt || fail "--help does not describe $option"
done
run 0 --version
[ "$(cat out.txt)" = "tolvane 2.0" ] || fail "--version printed: $(cat out.txt)"

# PCX in.
convert strip.png -type TrueColor PCX:strip.pcx
run 0 --export-gif pcx.gif strip.pcx
[ "$(convert pcx.gif -format '%[hex:p{0,0}]' info: | head -c 12)" = "FF000000FF00" ] ||
  fail "the GIF of the PCX strip: $(convert pcx.gif -format '%[hex:p{0,0}] ' info:)"
# A frame of more than 256 colours is reduced and named; the other is exact.
convert -size 32x32 xc:red \( xc: +noise Random \) +append -type TrueColor noise.png
run 0 --export-gif noise.gif noise.png
grep -q '^tolvane: noise.gif: Frame 2 has more than 256 colours' err.txt ||
  fail "the reduced frame is not named: $(cat err.txt)"

# Faults: status, a message naming the file and what is wrong (bad options
# then the usage), no hang, and no file touched: IN and an existing OUT stay.
head -c 300 strip.bmp >cut.bmp
head -c 30 strip.bmp >short.bmp
head -c 200 strip.png >cut.png
# A valid PNG header of 20000 x 20000: strip.png's, its CRC mended.
python3 -c 'import zlib,struct,sys; b=bytearray(open("strip.png","rb").read()); b[16:24]=struct.pack(">II",20000,20000); b[29:33]=struct.pack(">I",zlib.crc32(b[12:29])); open("big.png","wb").write(b)'

: >empty.bmp
echo hello >text.bmp
convert -size 20x16 xc:red odd.png
mkdir dir.png
mkfifo fifo.bmp
ln strip.png link.png
echo old >old.gif
convert -size 16x16 xc:red xc:blue -loop 0 anim.gif && head -c 40 anim.gif >cut.gif
echo old >old.png
echo old >old.json
faults=(
  "2|unknown option --exprot-gif|--exprot-gif out.gif strip.png"
  "2|unknown option --bogus|--bogus"
  "2|unknown option --bogus|--help --bogus"
  "2|unknown option -platform|-platform offscreen strip.png"
  "2|unknown option --bogus|--export-gif old.gif --bogus strip.png"
  "2|give one FILE|strip.png strip.bmp"
  "2|strip.png: OUT would overwrite IN|--export-sheet strip.png --scale 2 strip.png"
  "2|link.png: OUT would overwrite IN|--export-sheet link.png strip.png"
  "2|old.png: OUT must end in .gif|--export-gif old.png strip.png"
  "2|old.gif: OUT must end in .png|--export-sheet old.gif strip.png"
  "2|--scale 9|--export-gif old.gif --scale 9 strip.png"
  "2|--fps 0|--export-gif old.gif --fps 0 strip.png"
  "2|--export-gif|--export-gif"
  "2|--export-sheet|--export-gif old.gif --export-sheet old.png strip.png"
  "2|no input file|--export-gif old.gif"
  "2|more than one input|--export-gif old.gif strip.png strip.bmp"
  "2|--columns|--export-gif old.gif --columns 2 strip.png"
  "2|--json-frames|--export-gif old.gif --json-frames hash strip.png"
  "2|--json-frames list|--export-sheet old.png --json-frames list strip.png"
  "2|--transparent|--export-sheet old.png --transparent strip.png"
  "2|--padding 17|--export-sheet old.png --padding 17 strip.png"
  "2|--section 5-2|--export-sheet old.png --section 5-2 strip.png"
  "2|strip.png has frames 1 to 7|--export-sheet old.png --section 6-9 strip.png"
  "2|--mount-colour red|--export-gif old.gif --mount-colour red strip.png"
  "2|give one of --export-gif and --export-sheet|--scale 2 strip.png"
  "1|cannot open missing.bmp: no such file or directory|--export-gif old.gif missing.bmp"
  "1|cannot open dir.png: is a directory|--export-gif old.gif dir.png"
  "1|cannot open fifo.bmp: not a regular file|--export-gif old.gif fifo.bmp"
  "1|cannot read cut.bmp: the file ends before its pixels do|--export-gif old.gif cut.bmp"
  "1|cannot read short.bmp: the file ends inside its headers|--export-sheet old.png short.bmp"
  "1|cannot read cut.png: |--export-gif old.gif cut.png"
  "1|cannot read big.png: too large|--export-gif old.gif big.png"
  "1|cannot read empty.bmp: the file is empty|--export-gif old.gif empty.bmp"
  "1|cannot read text.bmp: not a BMP, PNG, GIF or PCX picture|--export-gif old.gif text.bmp"
  "1|cannot read cut.gif: the file ends inside|--export-gif old.gif cut.gif"
  "1|cannot read odd.png: not a strip of square frames|--export-sheet old.png odd.png"
  "1|cannot create no/such/folder/y.json: no such file or directory|--export-sheet no/such/folder/y.png strip.png"
)
for fault in "${faults[@]}"; do
  IFS='|' read -r want text options <<<"$fault"
  before=$(find . -path ./home -prune -o -type f ! -name '*.txt' -print0 | sort -z | xargs -0 md5sum)
  # shellcheck disable=SC2086
  run "$want" $options
  head -1 err.txt | grep -qF -- "tolvane: " || fail "tolvane $options: no message: $(cat err.txt)"
  head -1 err.txt | grep -qF -- "$text" || fail "tolvane $options: not \"$text\": $(head -1 err.txt)"
  [ "$want" = 1 ] || sed -n 2p err.txt | grep -q '^Usage: tolvane' || fail "tolvane $options: no usage"
  after=$(find . -path ./home -prune -o -type f ! -name '*.txt' -print0 | sort -z | xargs -0 md5sum)
  [ "$before" = "$after" ] || fail "tolvane $options changed files: $(diff <(echo "$before") <(echo "$after"))"
done

cmp -s "$settings" "$work/settings.before" || fail "the settings file changed"
[ "$(stat -c %Y "$settings")" = "$(stat -c %Y "$work/settings.before")" ] ||
  fail "the settings file was written"
[ "$(ls -A "$(dirname "$settings")")" = "Tolvane.INI" ] || fail "files beside the settings"

[ "$failures" = 0 ] || exit 1
echo "PASS: exports, help, version and exit statuses without a display"
