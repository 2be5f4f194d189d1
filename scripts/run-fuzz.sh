#!/usr/bin/env bash
# Runs every fuzz target in the build folder, starting from the seeds in
# fuzz/corpus/<target>/ when there are any. Fails on any finding.
#
# The time is a total budget, not one per target: the targets share it, run
# JOBS at a time (half the cores, at least one), each for at least 10 s, so
# that adding a target does not lengthen the run.
set -euo pipefail
build=$1
total=$2
jobs=${3:-$(( $(nproc) / 2 ))}
[ "$jobs" -ge 1 ] || jobs=1
top=$(cd "$(dirname "$0")/.." && pwd)
# The targets write their inputs to files (and some flush them to the disk):
# memory-backed files where there are any.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
shopt -s nullglob
targets=()
for exe in "$build"/fuzz/*_fuzz; do [ -x "$exe" ] && targets+=("$exe"); done
[ ${#targets[@]} -gt 0 ] || { echo "fuzz: no targets in $build/fuzz"; exit 1; }
seconds=$(( total * jobs / ${#targets[@]} ))
[ "$seconds" -ge 10 ] || seconds=10
echo "fuzz: ${#targets[@]} targets, $jobs at a time, ${seconds}s each"

results=$(mktemp -d)
run_one() {
  local exe=$1 name work seeds=()
  name=$(basename "$exe")
  work=$(mktemp -d)
  [ -d "$top/fuzz/corpus/$name" ] && seeds+=("$top/fuzz/corpus/$name")
  if "$exe" -max_total_time="$seconds" -max_len=65536 -artifact_prefix="$work/" "$work" "${seeds[@]}" \
      >"$work/log" 2>&1; then
    echo "fuzz: $name: $(tail -1 "$work/log")" >"$results/$name.ok"
    rm -rf "$work"
  else
    { echo "fuzz: $name found a fault (input and log kept in $work):"; tail -60 "$work/log"; } >"$results/$name.fail"
  fi
}
running=0
for exe in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  run_one "$exe" &
  running=$((running + 1))
done
wait
status=0
for f in "$results"/*; do
  cat "$f"
  case $f in *.fail) status=1 ;; esac
done
rm -rf "$results"
exit $status
