#!/bin/sh
# Starts the real kobrix twice on the display in DISPLAY, as a user would:
#   start_up.sh DESKTOP PROGRAM PROJECT PORT SHOTS
# DESKTOP is "openbox" (run for the while with a bottom margin, so that its
# work area is smaller than the screen) or "bare". PROJECT names a project
# whose collection holds one clip of a solid orange picture; the settings
# set the tape deck on PORT, a terminal that never answers. At each start:
# the "VTR connection error" box (captioned PORT) comes up with the keys and
# Return alone closes it; the collection shows its tile at once (orange
# pixels in a picture of its window); every window of the program lies
# whole, its window manager's frame included, inside the work area; and the
# second start puts the windows where the first left them. SHOTS gets a
# picture of each step (DESKTOP-start-NN-step.png). Every wait is for a
# state, never a fixed time.
set -u
desktop=$1 program=$2 project=$3 port=$4 shots=$5
run=0

fail() {
  echo "start-up ($desktop): step '$step' failed: $*"
  fail_end
}

. "$(dirname "$0")/x11_steps.sh"

shot() {
  grab "$shots/$desktop-start-$run-$1.png"
}

places() { for n in "^$frame_name" "^Clip Collection" "^A.Meter"; do echo "$n $(client_of "$(shown "$n" | head -1)")"; done; }

# Orange pixels (the clip's picture) in the collection's client area below
# its bars: a tile was drawn.
tile_drawn() {
  w=$(shown "^Clip Collection" | head -1)
  set -- $(client_of "$w")
  ffmpeg -v error -y -f x11grab -video_size "$3x$(($4 - 90))" -i "$DISPLAY+$1,$(($2 + 60))" -frames:v 1 \
    "$shots/$desktop-start-$run-collection.png" < /dev/null || return 1
  ffmpeg -v error -i "$shots/$desktop-start-$run-collection.png" -f rawvideo -pix_fmt rgb24 - < /dev/null |
    od -An -v -tu1 -w3 |
    awk '$1 > 200 && $2 > 80 && $2 < 180 && $3 < 80 {n++} END {print n + 0; exit !(n >= 1000)}'
}

start() {
  run=$1
  step="start $run"
  # The pointer lies away from where the box comes up.
  xdotool mousemove 2 2
  "$program" "$project" 2>> "$err" &
  pid=$!
  step="start $run: the VTR box"
  await "the VTR box" shown "^$port\$"
  await "the keyboard in the VTR box" has_focus "^$port\$"
  shot vtr-box
  xdotool key Return
  await "Return to close the VTR box" not shown "^$port\$"
  step="start $run: the windows"
  await "the frame" shown "^$frame_name"
  await "the clip collection" shown "^Clip Collection"
  await "the mixer window" shown "^A.Meter"
  await "the project in the caption" shown "^$frame_name.*$(basename "$project" | sed 's/[.]/[.]/g')"
  shot started
  step="start $run: the tile"
  await "the collection's tile" tile_drawn
  step="start $run: the work area"
  # The window manager may still be placing a window: the check waits for
  # the windows to settle inside.
  await "the windows inside the work area" inside_work_area
  inside_work_area || fail "$(inside_work_area)"
}

quit() {
  step="quit $run"
  quit_program
}

if [ "$desktop" = openbox ]; then
  step="window manager"
  openbox_with_panel
fi

start 1
first=$(places)
quit
start 2
now=$(places)
[ "$now" = "$first" ] || fail "the windows moved between starts: was
$first
now
$now"
quit

stop_openbox
rm -f "$err"
exit 0
