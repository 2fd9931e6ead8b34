#!/usr/bin/env bash
# The guide's command-line section and `tolvane --help` name the same
# options, so that neither falls behind the other.
# Usage: guide_options.sh path/to/tolvane path/to/guide.md
set -uo pipefail
program=${1:?usage: guide_options.sh path/to/tolvane path/to/guide.md}
guide=${2:?usage: guide_options.sh path/to/tolvane path/to/guide.md}
Options() { grep -oE -- '--[a-z][a-z-]*' | sort -u; }
help=$("$program" --help | Options)
section=$(sed -n '/^### From the command line/,/^##/p' "$guide" | Options)
[ -n "$help" ] || { echo "FAIL: tolvane --help names no option"; exit 1; }
if [ "$help" != "$section" ]; then
  echo "FAIL: the options differ (< tolvane --help, > $guide):"
  diff <(echo "$help") <(echo "$section")
  exit 1
fi
echo "PASS: both name $(echo "$help" | wc -l) options"
