#!/bin/sh
# Destroys the program's top-level windows from outside, as a tool or a
# window manager may (xdotool windowclose is XDestroyWindow from another
# client), on the display in DISPLAY under openbox:
#   destroyed_windows.sh PROGRAM PROJECT TAKE SHOTS
# PROJECT holds a video clip (the Video window opens with it); TAKE is a
# file for the recorder. Each kind of window the program opens (the Video
# window, the clip collection, the mixer window, the volume control, the
# recorder, a modal dialog and the frame itself) is destroyed three times:
# each time its X window goes, the program takes it as a close and goes
# on: the window opens again from the keyboard (the frame asks to save,
# and stays when the question is cancelled) and is drawn; the Video window
# shows the project played into it. At the end the
# program quits with status 0. SHOTS gets a picture of each kind after its
# last round (destroyed-NAME.png). Every wait is for a state, never a
# fixed time.
set -u
program=$1 project=$2 take=$3 shots=$4

fail() {
  echo "destroyed windows: step '$step' failed: $*"
  echo "--- windows:"
  for w in $(xdotool search --onlyvisible --name '.'); do echo "  $(xdotool getwindowname "$w")"; done
  fail_end
}

. "$(dirname "$0")/x11_steps.sh"

exists() { xwininfo -id "$1" > /dev/null 2>&1; }

# The client area of the window named $1 shows a drawing: more than a few
# colours (a window the program never drew shows one).
drawn() {
  w=$(shown "$1" | head -1)
  [ -n "$w" ] || return 1
  set -- $(client_of "$w")
  [ "$3" -gt 1 ] && [ "$4" -gt 1 ] || return 1
  ffmpeg -v error -f x11grab -video_size "$3x$4" -i "$DISPLAY+$1,$2" -frames:v 1 -vf scale=96:72:flags=neighbor \
    -f rawvideo -pix_fmt rgb24 - < /dev/null | od -An -v -tx1 -w3 | sort -u | awk 'END {exit !(NR >= 4)}'
}

# The audio engine's trace tells when playing starts and ends.
plays() { grep -c -- "-> [0-9]* (playing)" "$err"; }
more_plays_than() { [ "$(plays)" -gt "$1" ]; }
idle() { grep "engine .* -> " "$err" | tail -1 | grep -q -- "-> [0-9]* (idle)"; }

# The keyboard in the frame, as a user gives it: a click on the empty foot
# of its time line, under the lines (what the window manager does to the
# focus reaches the program a moment later, and keys might overtake it).
to_frame() {
  f=$(shown "^$frame_name" | head -1)
  set -- $(client_of "$f")
  xdotool mousemove --window "$f" $(($3 / 3)) $(($4 - 60)) click 1
  await "the keyboard in the frame" has_focus "^$frame_name"
}

# A question or file dialog titled $1 is up with the keyboard; $2 typed
# into its file-name field (emptied first) and Return pressed.
answer() {
  await "dialog '$1'" shown "^$1\$"
  await "the keyboard in '$1'" has_focus "^$1\$"
  xdotool key --delay 5 --repeat 80 BackSpace
  xdotool type --delay 15 "$2"
  xdotool key Return
  await "'$1' to close" not shown "^$1\$"
}

# Destroys the X window of the window named $1 from outside; it closes.
destroy() {
  w=$(shown "^$1" | head -1)
  [ -n "$w" ] || fail "no window '$1' to destroy"
  xdotool windowclose "$w"
  await "the X window of '$1' to go" not exists "$w"
  await "'$1' to close" not shown "^$1"
}

# Three rounds for the window named $1: destroyed from outside, opened
# again by the rest of the arguments (a shell command), drawn.
three_rounds() {
  name=$1
  shift
  for round in 1 2 3; do
    step="$name, round $round"
    destroy "$name"
    "$@"
    await "'$name' again" shown "^$name"
    await "'$name' drawn" drawn "^$name"
  done
  grab "$shots/destroyed-$(echo "$name" | tr ' A-Z' '-a-z' | tr -cd 'a-z0-9-').png"
}

key_in_frame() {
  to_frame
  xdotool key "$1"
}
# The Video window opens empty (F9); the project plays into it to the end.
play_video() {
  played=$(plays)
  key_in_frame F9
  await "the Video window" shown "^Video\$"
  xdotool key space
  await "the play to start" more_plays_than "$played"
  await "the play to end" idle
}
open_recorder() {
  to_frame
  xdotool key alt+c c
  answer "File for recording" "$take"
}

step="window manager"
openbox_with_panel

step="start"
KOBRIX_TRACE=audio "$program" "$project" 2>> "$err" &
pid=$!
await "the frame" shown "^$frame_name"
await "the Video window" shown "^Video\$"
await "the clip collection" shown "^Clip Collection"
await "the mixer window" shown "^A.Meter"
to_frame

# The windows that close: each opens again from the frame's keys.
three_rounds "Video" play_video
three_rounds "Clip Collection" key_in_frame F6
three_rounds "A.Meter" key_in_frame F7
step="volume control"
key_in_frame F8
await "the volume control" shown "^Volume Control"
three_rounds "Volume Control" key_in_frame F8
step="recorder"
open_recorder
await "the recorder" shown "^Record Audio"
three_rounds "Record Audio" open_recorder
step="about"
key_in_frame alt+h
xdotool key a
await "the About box" shown "^About"
three_rounds "About" eval 'key_in_frame alt+h; xdotool key a'
xdotool key Escape
await "the About box to close" not shown "^About"

# The frame asks to save what changed and stays when that is cancelled.
step="an edit"
to_frame
xdotool key ctrl+a Delete
await "the change in the caption" shown "^$frame_name [*]"
for round in 1 2 3; do
  step="frame, round $round"
  w=$(shown "^$frame_name" | head -1)
  xdotool windowclose "$w"
  await "the X window of the frame to go" not exists "$w"
  await "the question to save" shown "^Save Project\$"
  await "the keyboard in the question" has_focus "^Save Project\$"
  xdotool key Escape
  await "the question to close" not shown "^Save Project\$"
  await "the frame again" shown "^$frame_name"
  await "the frame drawn" drawn "^$frame_name"
done
grab "$shots/destroyed-frame.png"

step="quit"
to_frame
quit_program
stop_openbox
rm -f "$err"
exit 0
