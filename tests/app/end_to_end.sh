#!/bin/sh
# Drives the real kobrix as a user would, on the display in DISPLAY:
#   end_to_end.sh DESKTOP PROGRAM PROJECT EXPORT SHOTS
# DESKTOP is "openbox" (the script runs that window manager for the while)
# or "bare". Over three starts: opens PROJECT (Ctrl+O); opens Set Size and
# leaves it with Escape; with the mixer and
# the Video window up, drags a clip from the collection onto the time line
# and takes it away again (Ctrl+Z); plays the project (Space), exports its
# sound as WAVE to EXPORT from the Export menu and quits (Ctrl+Q); then
# starts twice more and quits. After each step it checks which window has
# the keyboard, that a modal dialog is the top window, and at each start
# that the frame, the collection and the mixer window open where they were.
# SHOTS gets a picture of each step (DESKTOP-NN-step.png). Every wait is
# for a state, never a fixed time. A failing step names itself and prints
# the program's standard error. The caller sets the program's environment
# (KOBRIX_AUDIO_RECORD names the first run's played sound).
set -u
desktop=$1 program=$2 project=$3 export_path=$4 shots=$5
shot_no=0

fail() {
  echo "end-to-end ($desktop): step '$step' failed: $*"
  echo "--- windows (top first):"
  visible_names | sed 's/^/  /'
  if [ "$desktop" = openbox ]; then
    for w in $(xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*'); do
      echo "  $(xdotool getwindowname "$w"): $(xprop -id "$w" _NET_WM_STATE WM_TRANSIENT_FOR | tr '\n' ' ')"
    done
  fi
  fail_end
}

. "$(dirname "$0")/x11_steps.sh"

shot() {
  shot_no=$((shot_no + 1))
  grab "$shots/$desktop-$(printf %02d $shot_no)-$1.png"
}

# The names of the shown top-level windows, top first: the window
# manager's stacking list, or the root's children on a bare display.
visible_names() {
  if [ "$desktop" = openbox ]; then
    for w in $(xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*'); do
      xdotool getwindowname "$w"
    done | tac
  else
    for w in $(xwininfo -root -children | awk '/^ +0x/ {print $1}'); do
      xwininfo -id "$w" | grep -q 'Map State: IsViewable' && xdotool getwindowname "$w"
    done
  fi
}
on_top() { [ "$(visible_names | grep -v '^$' | head -1)" = "$1" ]; }
engine_went() { grep "engine .* -> " "$err" | tail -1 | grep -q -- "-> [0-9]* ($1)"; }
played() { grep -q -- "-> [0-9]* (playing)" "$err" && engine_went idle; }
file_holds() { [ "$(stat -c %s "$1" 2> /dev/null || echo 0)" -ge "$2" ]; }

# A modal dialog titled $1 came up on top with the keyboard; $2 is typed
# into its file-name field (emptied first) and Return pressed.
answer() {
  await "dialog '$1'" shown "^$1\$"
  await "the keyboard in '$1'" has_focus "^$1\$"
  on_top "$1" || fail "'$1' is not the top window"
  shot "$(echo "$1" | tr ' A-Z' '-a-z')"
  xdotool key --delay 5 --repeat 80 BackSpace
  xdotool type --delay 15 "$2"
  xdotool key Return
  await "'$1' to close" not shown "^$1\$"
}

# Where a window's client area lies on the screen: "x y".
place() {
  xwininfo -id "$(shown "$1" | head -1)" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'
}
places() { for n in "^$frame_name" "^Clip Collection" "^A.Meter"; do echo "$n $(place "$n")"; done; }

start() {
  step="start $1"
  # Only the first run's sound is kept.
  [ "$1" -gt 1 ] && unset KOBRIX_AUDIO_RECORD
  # The audio engine's trace tells when playing ends.
  KOBRIX_TRACE=audio "$program" 2>> "$err" &
  pid=$!
  await "the frame" shown "^$frame_name"
  await "the clip collection" shown "^Clip Collection"
  await "the mixer window" shown "^A.Meter"
  # The frame opened last has the keys, the mixer stays above it.
  await "the keyboard in the frame" has_focus "^$frame_name"
  visible_names | grep -n "^A.Meter\|^$frame_name" | head -1 | grep -q A.Meter || fail "the mixer is under the frame"
}

quit() {
  step="quit $1"
  quit_program
}

if [ "$desktop" = openbox ]; then
  step="window manager"
  openbox --sm-disable > /dev/null 2>&1 &
  wm=$!
  await "openbox" wm_running
fi

start 1
shot started
before=$(places)

step="open"
xdotool key --clearmodifiers ctrl+o
answer "Open Project" "$project"
# The caption names the project once it is open; the keys are back in
# the frame without a click.
await "the project in the caption" shown "$frame_name.*$(basename "$project" | sed 's/[.]/[.]/g')"
await "the keyboard back in the frame" has_focus "^$frame_name"
shot opened

step="set size"
# The time-line's Set Size button opens its dialog on top with the keys;
# after Escape the keys are back in the frame without a click.
xdotool mousemove --window "$(shown "^$frame_name" | head -1)" 55 82 click 1
await "dialog 'Set Size'" shown "^Set Size\$"
await "the keyboard in 'Set Size'" has_focus "^Set Size\$"
on_top "Set Size" || fail "'Set Size' is not the top window"
shot set-size
xdotool key Escape
await "'Set Size' to close" not shown "^Set Size\$"
await "the keyboard back in the frame after Set Size" has_focus "^$frame_name"

step="drag"
# With the mixer and the Video window up, the tone's tile dragged from the
# collection onto the third audio line lands there; Ctrl+Z takes it away.
collection=$(shown "^Clip Collection" | head -1)
frame=$(shown "^$frame_name" | head -1)
xdotool mousemove --window "$collection" 304 79 mousedown 1
for x in 320 360 420; do xdotool mousemove --window "$collection" "$x" 60; done
for y in 300 200 100; do xdotool mousemove --window "$frame" 600 "$y"; done
xdotool mousemove --window "$frame" 600 402 mouseup 1
await "the dropped clip in the caption" shown "^$frame_name [*]"
shot dropped
xdotool key --clearmodifiers ctrl+z
await "the undo in the caption" shown "^$frame_name - "
shot undone

step="play"
# The project plays its three seconds to the end.
xdotool key space
await "the end of playing" played
shot played
await "the keyboard in the frame after playing" has_focus "^$frame_name"

step="export"
# The menu opens with a click on its title in the menu bar.
xdotool mousemove --window "$frame" 286 9 click 1
await "the Export menu" menu_open
xdotool key w
answer "Export Wave" "$export_path"
await "the whole export" file_holds "$export_path" 529244
await "the keyboard back in the frame after the export" has_focus "^$frame_name"
shot exported

quit 1
for n in 2 3; do
  start $n
  shot "start-$n"
  now=$(places)
  [ "$now" = "$before" ] || fail "the windows moved between starts: was
$before
now
$now"
  quit $n
done

[ -n "$wm" ] && kill "$wm" && wait "$wm" 2> /dev/null
rm -f "$err"
exit 0
