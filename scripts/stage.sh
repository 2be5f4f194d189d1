#!/usr/bin/env bash
# Runs one stage of a build or test pass and prints its wall time, so that a
# log shows where the time goes. With KOBRIX_STAGE_LOG set, each stage also
# appends "name<TAB>seconds<TAB>status" to that file (.ci/run sums them up).
set -uo pipefail
name=$1
shift
start=$(date +%s.%N)
"$@"
status=$?
seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
result=ok
[ $status -eq 0 ] || result="failed ($status)"
echo "stage: $name: ${seconds}s, $result"
if [ -n "${KOBRIX_STAGE_LOG:-}" ]; then
  printf '%s\t%s\t%s\n' "$name" "$seconds" "$result" >>"$KOBRIX_STAGE_LOG"
fi
exit $status
