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
frame_name="Velmora AV Studio"
err=$(mktemp)
pid=
wm=
run=0
step=start

fail() {
  echo "start-up ($desktop): step '$step' failed: $*"
  fail_end
}

. "$(dirname "$0")/x11_steps.sh"

shot() {
  grab "$shots/$desktop-start-$run-$1.png"
}

# A window's client area on the screen: "x y width height".
client_of() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /^ +Width:/ {w=$2} /^ +Height:/ {h=$2} END {print x, y, w, h}'
}
# The window manager's frame around it: "left right top bottom" (none: 0).
frame_of() {
  xprop -id "$1" _NET_FRAME_EXTENTS | grep -q '=' || { echo 0 0 0 0; return; }
  xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g'
}
# The work area: "x y width height"; the whole screen when no window manager
# gives one.
work_area() {
  if xprop -root _NET_WORKAREA | grep -q '='; then
    xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | awk '{print $1, $2, $3, $4}'
  else
    xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print 0, 0, d[1], d[2]}'
  fi
}

# Every shown window of the program, frame included, inside the work area.
inside_work_area() {
  set -- $(work_area)
  wx=$1 wy=$2 ww=$3 wh=$4
  for w in $(xdotool search --onlyvisible --pid "$pid"); do
    set -- $(client_of "$w") $(frame_of "$w")
    [ "$3" -le 1 ] && continue  # an unmapped helper window
    left=$(($1 - $5)) top=$(($2 - $7)) right=$(($1 + $3 + $6)) bottom=$(($2 + $4 + $8))
    if [ $left -lt $wx ] || [ $top -lt $wy ] || [ $right -gt $((wx + ww)) ] || [ $bottom -gt $((wy + wh)) ]; then
      echo "'$(xdotool getwindowname "$w")' spans $left,$top-$right,$bottom; the work area is $wx,$wy ${ww}x$wh"
      return 1
    fi
  done
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
  config=$(mktemp)
  cat > "$config" << 'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <margins><top>0</top><bottom>60</bottom><left>0</left><right>0</right></margins>
</openbox_config>
EOF
  openbox --sm-disable --config-file "$config" > /dev/null 2>&1 &
  wm=$!
  await "openbox" wm_running
  await "openbox's work area" sh -c "xprop -root _NET_WORKAREA | grep -q '='"
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

[ -n "$wm" ] && kill "$wm" && wait "$wm" 2> /dev/null
[ "$desktop" = openbox ] && rm -f "$config"
rm -f "$err"
exit 0
