#!/usr/bin/env bash
# Runs every fuzz target in the build folder for a bounded time, starting from
# the seeds in fuzz/corpus/<target>/ when there are any. Fails on any finding.
set -euo pipefail
build=$1
seconds=$2
top=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
status=0
for exe in "$build"/fuzz/*_fuzz; do
  [ -x "$exe" ] || continue
  name=$(basename "$exe")
  work=$(mktemp -d)
  seeds=()
  [ -d "$top/fuzz/corpus/$name" ] && seeds+=("$top/fuzz/corpus/$name")
  echo "fuzz: $name for ${seconds}s"
  if ! "$exe" -max_total_time="$seconds" -max_len=65536 -artifact_prefix="$work/" "$work" "${seeds[@]}" >"$work/log" 2>&1; then
    echo "fuzz: $name found a fault (input and log kept in $work):"; tail -60 "$work/log"; status=1
  else
    tail -2 "$work/log"
    rm -rf "$work"
  fi
done
exit $status
