#!/usr/bin/env bash
# Runs the widget tests that exchange pictures with another program (xclip)
# through a real X clipboard, on an Xvfb of their own: the offscreen platform
# keeps its clipboard inside the process. Usage: clipboard_other_program.sh path/to/ui_tests
set -uo pipefail

ui_tests=${1:?usage: clipboard_other_program.sh path/to/ui_tests}
source "$(dirname "$0")/x_session.sh"
command -v xclip >/dev/null || { echo "missing xclip (scripts/deps.sh installs it)"; exit 1; }
Start_Xvfb

"$ui_tests" --gtest_filter='Other_Program.*' >"$work/ui.log" 2>&1
status=$?
cat "$work/ui.log"
[ "$status" -eq 0 ] || { echo "FAIL: the tests failed"; exit 1; }
grep -q 'SKIPPED' "$work/ui.log" && { echo "FAIL: tests were skipped on X"; exit 1; }
grep -q '^\[  PASSED  \] 3 tests' "$work/ui.log" || { echo "FAIL: not all three ran"; exit 1; }
echo "PASS: pictures exchanged with xclip"
