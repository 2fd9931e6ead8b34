#!/usr/bin/env bash
# A document's section on the command line (from the line matching FIRST to
# the next matching NEXT; troff's "\-" read as "-") and `tolvane --help` name
# the same options, so that neither falls behind the other.
# Usage: doc_options.sh path/to/tolvane DOCUMENT FIRST NEXT
set -uo pipefail
program=${1:?usage: doc_options.sh path/to/tolvane DOCUMENT FIRST NEXT}
guide=${2:?usage: doc_options.sh path/to/tolvane DOCUMENT FIRST NEXT}
Options() { sed 's/\\-/-/g' | grep -oE -- '--[a-z][a-z-]*' | sort -u; }
help=$("$program" --help | Options)
section=$(sed -n "/$3/,/$4/p" "$guide" | Options)
[ -n "$help" ] || { echo "FAIL: tolvane --help names no option"; exit 1; }
if [ "$help" != "$section" ]; then
  echo "FAIL: the options differ (< tolvane --help, > $guide):"
  diff <(echo "$help") <(echo "$section")
  exit 1
fi
echo "PASS: both name $(echo "$help" | wc -l) options"
