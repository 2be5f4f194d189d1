#!/usr/bin/env bash
# Runs the thread-heavy tests of the ThreadSanitizer build once each, in a
# shuffled order (so that a test leaning on what another left shows); fails
# on a test failure or on any report of the sanitizer, naming the seed.
set -uo pipefail
build=$1
export KOBRIX_GUI=headless KOBRIX_AUDIO=virtual
export TSAN_OPTIONS="second_deadlock_stack=1 exitcode=66 ${TSAN_OPTIONS:-}"
# Each program and the suites of it that start or serve threads; test_audio
# whole, since its engine, mixer, recorder and effect lists share their
# state with the engine's threads.
runs=(
  "test_audio *"
  "test_platform_core CriticalSections.*:Events.*:Interlocked.*:SemaphoreRelease.*:Semaphores.*:Waits.*:MessageQueues.*:Threads.*"
  "test_platform_gui ThreadTest.*"
  "test_platform_audio WaveDevices.*:WaveInTest.*:WaveOutTest.*:WaveNotices.*:Tone.*:MidiOutTest.*:MidiSynthTest.*"
  # The media and sequencer devices' threads and the headers they hand back.
  "test_platform_mci *"
  # The simulated board's playout and GPI threads; the board player's feeder
  # and monitor, the wait thread, and the engine reading the sound the
  # feeder puts in the board's ring.
  "test_platform_board *"
  "test_video_board *"
  # The MPEG export's decode-ahead thread and the decoder it shares.
  "test_video_export *"
)
status=0
for run in "${runs[@]}"; do
  program=${run%% *}
  filter=${run#* }
  log=$(mktemp)
  echo "tsan: $program ($filter)"
  "$build/tests/$program" --gtest_filter="$filter" --gtest_shuffle >"$log" 2>&1
  code=$?
  if [ $code -ne 0 ] || grep -q "WARNING: ThreadSanitizer" "$log"; then
    echo "tsan: $program failed (status $code):"
    grep -m1 "Randomizing tests' orders with a seed" "$log"
    grep -A40 "WARNING: ThreadSanitizer" "$log" | head -200
    grep -E "^\[  FAILED" "$log"
    tail -5 "$log"
    status=1
  else
    grep -E "^\[  PASSED" "$log"
  fi
  rm -f "$log"
done
exit $status
