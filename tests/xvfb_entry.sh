#!/bin/sh
# Runs a test program in a real X server under xvfb-run, for a CTest entry:
#   xvfb_entry.sh SCREEN TOOLS PROGRAM [ARGUMENTS...]
# SCREEN is the server's screen ("1920x1080x24"); TOOLS the outside programs
# the tests inside drive, separated by commas (may be empty). Skipped (77)
# where xvfb-run is not installed. The tests skip themselves without their
# tools, which would let the entry pass having checked nothing; since
# scripts/setup.sh installs every one, a missing tool fails the entry by
# name instead, and so does a run in which no test passed.
screen=$1 tools=$2
shift 2
command -v xvfb-run > /dev/null 2>&1 || exit 77

missing=
for tool in $(echo "$tools" | tr ',' ' '); do
  command -v "$tool" > /dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
  echo "xvfb entry: not installed:$missing (scripts/setup.sh installs them); the tests would only skip"
  exit 1
fi

log=$(mktemp)
xvfb-run -a -s "-screen 0 $screen" "$@" > "$log" 2>&1
status=$?
cat "$log"
passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -1)
if [ "$status" -eq 0 ] && [ "${passed:-0}" -eq 0 ]; then
  echo "xvfb entry: no test passed; every test skipped:"
  grep -A1 ': Skipped$' "$log" | grep -v -e ': Skipped$' -e '^--$' | sort | uniq -c
  status=1
fi
rm -f "$log"
exit "$status"
