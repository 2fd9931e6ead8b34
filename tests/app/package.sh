#!/usr/bin/env bash
# The Debian package of a built program: its files where Debian wants them,
# the program stripped, Depends naming the libraries it links.
# Usage: package.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
deb=$("$1/scripts/package.sh" --from "$2" --out "$out" 2>"$out/log") || { cat "$out/log"; exit 1; }
doc=./usr/share/doc/tolvane icons=./usr/share/icons/hicolor
expected=(./usr/bin/tolvane ./usr/share/applications/io.github.tolvane.Tolvane.desktop
  $doc/{LICENSE,WhatsNew.RTF,changelog.gz,copyright,guide.md,whats_new.md}
  $icons/scalable/apps/tolvane.svg $icons/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/tolvane.png
  ./usr/share/man/man1/tolvane.1.gz ./usr/share/metainfo/io.github.tolvane.Tolvane.metainfo.xml)
for picture in "$1"/docs/images/*.png; do expected+=("$doc/images/${picture##*/}"); done
files=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort)
fail=$(diff <(printf '%s\n' "${expected[@]}" | sort) <(echo "$files"))
dpkg-deb -x "$deb" "$out/root"
file -b "$out/root/usr/bin/tolvane" | grep -q ', stripped' || fail+=$'\nthe program is not stripped'
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libspng0 libgif7; do
  [[ ", $depends," == *", $lib"[\ ,]* ]] || fail+=$'\n'"Depends lacks $lib: $depends"
done
[ -z "$fail" ] || { echo "FAIL (< expected, > in the package):$fail"; exit 1; }
echo "PASS: $(echo "$files" | wc -l) files; Depends: $depends"
