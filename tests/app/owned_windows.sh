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
# menu bar. SHOTS gets a picture of each (owned-NAME.png). Every wait is for
# a state, never a fixed time.
set -u
program=$1 menu_height=$2 shots=$3
frame_name="Velmora AV Studio"
err=$(mktemp)
pid=
wm=
step=start

fail() {
  echo "owned windows: step '$step' failed: $*"
  fail_end
}

. "$(dirname "$0")/x11_steps.sh"

# The window named $1 lies inside the work area and not over the frame's
# caption and menu bar.
beside_the_frame() {
  w=$(shown "$1" | head -1)
  [ -n "$w" ] || { echo "no window '$1'"; return 1; }
  set -- $(client_of "$frame") $(frame_of "$frame")
  frame_left=$(($1 - $5)) frame_top=$(($2 - $7)) frame_right=$(($1 + $3 + $6)) bar_bottom=$(($2 + menu_height))
  set -- $(client_of "$w") $(frame_of "$w")
  left=$(($1 - $5)) top=$(($2 - $7)) right=$(($1 + $3 + $6)) bottom=$(($2 + $4 + $8))
  if [ $right -gt $frame_left ] && [ $left -lt $frame_right ] && [ $top -lt $bar_bottom ] &&
    [ $bottom -gt $frame_top ]; then
    echo "'$(xdotool getwindowname "$w")' reaches up to $top, over the frame's menu bar (down to $bar_bottom)"
    return 1
  fi
  inside_work_area
}

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

step="quit"
quit_program
stop_openbox
rm -f "$err"
exit 0
