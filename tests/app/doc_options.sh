#!/usr/bin/env bash
# A document's section on the command line and `tolvane --help` name the same
# options, so that neither falls behind the other. The section runs from the
# line matching FIRST to the next line matching NEXT; troff's "\-" counts as
# "-", so a man page reads as its reader sees it.
# Usage: doc_options.sh path/to/tolvane DOCUMENT FIRST NEXT
set -uo pipefail
usage="usage: doc_options.sh path/to/tolvane DOCUMENT FIRST NEXT"
program=${1:?$usage}
doc=${2:?$usage}
first=${3:?$usage}
next=${4:?$usage}
Options() { sed 's/\\-/-/g' | grep -oE -- '--[a-z][a-z-]*' | sort -u; }
help=$("$program" --help | Options)
section=$(sed -n "/$first/,/$next/p" "$doc" | Options)
[ -n "$help" ] || { echo "FAIL: tolvane --help names no option"; exit 1; }
if [ "$help" != "$section" ]; then
  echo "FAIL: the options differ (< tolvane --help, > $doc):"
  diff <(echo "$help") <(echo "$section")
  exit 1
fi
echo "PASS: both name $(echo "$help" | wc -l) options"
