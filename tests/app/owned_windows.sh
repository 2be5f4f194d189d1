#!/bin/sh
# Opens the program's tool window and dialogs as a user would, on the
# display in DISPLAY under openbox (run for the while with a bottom margin,
# so that its work area is smaller than the screen), and checks where the
# window system put each:
#   owned_windows.sh PROGRAM MENU_HEIGHT SHOTS
# MENU_HEIGHT is the height of a menu bar. With the frame up, the volume
# control (F8) and the dialogs Set Size (the time-line's button), Master
# Effects (Command menu), About (Help menu) and Font (View > Clip name
# font) open one by one; each lies, its window manager's frame included,
# inside the work area and, where it is over the frame, below the frame's
# menu bar. At the end the volume control, brought up again with F8, takes
# the keys, writes its title whole in its caption and closes with Alt+F4. SHOTS gets a picture of each
# (owned-NAME.png). Every wait is for a state, never a fixed time.
set -u
program=$1 menu_height=$2 shots=$3

fail() {
  echo "owned windows: step '$step' failed: $*"
  fail_end
}

. "$(dirname "$0")/x11_steps.sh"

# Opens the window named $1 with the rest of the arguments (an xdotool
# command line), checks its place and takes its picture.
opens_beside() {
  name=$1
  shift
  step="$name"
  xdotool "$@"
  await "'$name'" shown "^$name"
  # The window manager may still be placing it.
  await "'$name' beside the frame" beside_the_frame "^$name"
  beside_the_frame "^$name" > /dev/null || fail "$(beside_the_frame "^$name")"
  grab "$shots/owned-$(echo "$name" | tr ' A-Z' '-a-z').png"
}

# A dialog: as above, then Escape closes it and the keys are back in the
# frame.
dialog_opens_beside() {
  opens_beside "$@"
  await "the keyboard in '$1'" has_focus "^$1"
  xdotool key Escape
  await "'$1' to close" not shown "^$1"
  await "the keyboard back in the frame after '$1'" has_focus "^$frame_name"
}

# How wide the title is written in the caption of window $1 (active): the
# span of the columns its white letters reach in the label, between the
# window's icon and its three buttons, in openbox's default theme.
title_width() {
  set -- $(client_of "$1") $(frame_of "$1")
  w=$(($3 + $5 + $6))
  ffmpeg -v error -f x11grab -video_size "${w}x$7" -i "$DISPLAY+$(($1 - $5)),$(($2 - $7))" -frames:v 1 \
    -f rawvideo -pix_fmt rgb24 - < /dev/null | od -An -v -tu1 -w3 |
    awk -v w=$w '{x = (NR - 1) % w; y = int((NR - 1) / w)}
      y >= 3 && y <= 14 && x >= 20 && x < w - 50 && $1 >= 247 && $2 >= 247 && $3 >= 247 {
        if (n++ == 0 || x < a) a = x; if (x > b) b = x }
      END {print b - a}'
}
title_width_is() { [ "$(title_width "$1")" = "$2" ]; }

step="window manager"
openbox_with_panel

step="start"
"$program" 2>> "$err" &
pid=$!
await "the frame" shown "^$frame_name"
await "the keyboard in the frame" has_focus "^$frame_name"
frame=$(shown "^$frame_name" | head -1)

opens_beside "Volume Control" key F8
dialog_opens_beside "Set Size" mousemove --window "$frame" 55 82 click 1
dialog_opens_beside "Master Effects" key alt+c e
dialog_opens_beside "About" key alt+h a
dialog_opens_beside "Font" key alt+v c

xdotool key F8
await "'Volume Control' again" shown "^Volume Control"
step="Volume Control: the keyboard, the caption, Alt+F4"
await "the keyboard in 'Volume Control'" has_focus "^Volume Control"
written=$(title_width "$(shown "^Volume Control" | head -1)")
xdotool key alt+F4
await "'Volume Control' to close" not shown "^Volume Control"
await "the keyboard back in the frame after 'Volume Control'" has_focus "^$frame_name"
# Its whole title, written in the frame's wide caption for the while, is
# as wide as in its own.
frame_title=$(xdotool getwindowname "$frame")
xdotool set_window --name "Volume Control" "$frame"
await "the title 'Volume Control' whole in its caption (written $written wide there)" title_width_is "$frame" "$written"
xdotool set_window --name "$frame_title" "$frame"
# A click on the empty foot of the time line, under its lines, settles the
# keys in the frame (what the window manager did to the focus reaches the
# program a moment later).
set -- $(client_of "$frame")
xdotool mousemove --window "$frame" $(($3 / 3)) $(($4 - 60)) click 1
await "the keyboard in the frame" has_focus "^$frame_name"

step="quit"
quit_program
stop_openbox
rm -f "$err"
exit 0
