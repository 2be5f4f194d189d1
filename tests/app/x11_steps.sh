# Steps the scripts that drive the real program on a display share. The
# sourcing script defines fail (which names its step) and keeps the state
# set here: pid, the running program's process (empty while none runs), wm,
# the window manager's (empty on a bare display), err, the file that keeps
# the program's standard error, frame_name, the caption the program's frame
# starts with, and step, the name of the step under way.
frame_name="Velmora AV Studio"
err=$(mktemp)
pid=
wm=
step=start

# How a failed step ends, after its own lines: the focus and the program's
# standard error are shown, the program and the window manager stopped.
fail_end() {
  echo "--- focus: $(focused)"
  echo "--- program's standard error:"
  cat "$err"
  [ -n "$pid" ] && kill "$pid" 2> /dev/null
  [ -n "$wm" ] && kill "$wm" 2> /dev/null
  [ -n "${wm_config:-}" ] && rm -f "$wm_config"
  rm -f "$err"
  exit 1
}

# The whole screen into the PNG file named.
grab() {
  ffmpeg -v error -y -f x11grab -video_size "$(xdpyinfo | awk '/dimensions:/ {print $2}')" -i "$DISPLAY" \
    -frames:v 1 "$1" < /dev/null
}

# Polls (every 0.1 s, up to 60 s: a sanitizer build is slow) until the
# command succeeds; fails the step at once when the program ended.
await() {
  what=$1
  shift
  i=0
  while ! "$@" > /dev/null 2>&1; do
    if [ -n "$pid" ] && ! kill -0 "$pid" 2> /dev/null; then fail "the program ended while waiting for $what"; fi
    i=$((i + 1))
    [ $i -ge 600 ] && fail "waited 60 s for $what"
    sleep 0.1
  done
}

# The name of the window with the keyboard focus.
focused() { xdotool getwindowfocus getwindowname 2> /dev/null; }
has_focus() { focused | grep -q "$1"; }
shown() { xdotool search --onlyvisible --name "$1"; }
not() { ! "$@"; }
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; }
# An open menu: a shown window that no window manager handles.
menu_open() {
  for w in $(xwininfo -root -children | awk '/^ +0x/ {print $1}'); do
    xwininfo -id "$w" | grep -q 'Map State: IsViewable' || continue
    xwininfo -id "$w" | grep -q 'Override Redirect State: yes' && return 0
  done
  return 1
}

# Quits with Ctrl+Q and waits for the program to end with status 0; questions
# to save what changed are answered No, each once it is up.
quit_program() {
  xdotool key --clearmodifiers ctrl+q
  i=0
  while kill -0 "$pid" 2> /dev/null; do
    if [ -n "$(focused)" ] && ! focused | grep -q "^$frame_name\|^Clip Collection\|^A.Meter\|^Video"; then
      xdotool key n
    fi
    i=$((i + 1))
    [ $i -ge 600 ] && fail "the program did not end"
    sleep 0.1
  done
  wait "$pid" || fail "the program ended with status $?"
  pid=
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

# The window named $1 lies inside the work area and not over the caption
# and menu bar of the frame (the window $frame; menu_height is the height
# of a menu bar).
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

# Runs openbox for the while with a bottom margin, as a panel would leave
# it, so that its work area is smaller than the screen; sets wm.
openbox_with_panel() {
  wm_config=$(mktemp)
  cat > "$wm_config" << 'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <margins><top>0</top><bottom>60</bottom><left>0</left><right>0</right></margins>
</openbox_config>
EOF
  # Started again where it ends before it manages the screen (a window
  # manager still leaving, on a busy machine); --replace takes the screen
  # from one that has not.
  for attempt in 1 2 3; do
    openbox --replace --sm-disable --config-file "$wm_config" > /dev/null 2>&1 &
    wm=$!
    i=0
    while ! wm_running && kill -0 "$wm" 2> /dev/null && [ $i -lt 200 ]; do
      i=$((i + 1))
      sleep 0.1
    done
    wm_running && kill -0 "$wm" 2> /dev/null && break
    kill "$wm" 2> /dev/null
    wait "$wm" 2> /dev/null
  done
  await "openbox" wm_running
  await "openbox's work area" sh -c "xprop -root _NET_WORKAREA | grep -q '='"
}
# Ends the window manager the script started, if any.
stop_openbox() {
  [ -n "$wm" ] && kill "$wm" && wait "$wm" 2> /dev/null
  wm=
  [ -n "${wm_config:-}" ] && rm -f "$wm_config"
  return 0
}
