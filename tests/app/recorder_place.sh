#!/bin/sh
# Opens the recorder (Command > Record audio...) on the bare display in
# DISPLAY, no window manager running, and checks that it opens inside the
# screen and below the frame's menu bar:
#   recorder_place.sh PROGRAM MENU_HEIGHT TAKE SHOTS
# MENU_HEIGHT is the height of a menu bar, TAKE the file to record into.
# SHOTS gets a picture (bare-recorder.png). Every wait is for a state,
# never a fixed time.
set -u
program=$1 menu_height=$2 take=$3 shots=$4

fail() {
  echo "recorder place: step '$step' failed: $*"
  fail_end
}

. "$(dirname "$0")/x11_steps.sh"

"$program" 2>> "$err" &
pid=$!
await "the frame" shown "^$frame_name"
await "the keyboard in the frame" has_focus "^$frame_name"
frame=$(shown "^$frame_name" | head -1)

step="open the recorder"
# The Command menu opens with a click on its title in the menu bar.
xdotool mousemove --window "$frame" 145 9 click 1
await "the Command menu" menu_open
xdotool key c
await "dialog 'File for recording'" shown "^File for recording\$"
await "the keyboard in 'File for recording'" has_focus "^File for recording\$"
xdotool key --delay 5 --repeat 80 BackSpace
xdotool type --delay 15 "$take"
xdotool key Return
await "the recorder" shown "^Record Audio"
beside_the_frame "^Record Audio" > /dev/null || fail "$(beside_the_frame "^Record Audio")"
grab "$shots/bare-recorder.png"

step="quit"
# Cancel closes the recorder; a click on the empty foot of the time line,
# under its lines, gives the keys back to the frame.
xdotool key Escape
await "the recorder to close" not shown "^Record Audio"
set -- $(client_of "$frame")
xdotool mousemove --window "$frame" $(($3 / 3)) $(($4 - 60)) click 1
await "the keyboard in the frame" has_focus "^$frame_name"
quit_program
rm -f "$err"
exit 0
