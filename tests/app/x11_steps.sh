# Steps the scripts that drive the real program on a display share. The
# sourcing script defines fail (which names its step) and sets pid to the
# running program's process (empty while none runs), wm to the window
# manager's (empty on a bare display), err to the file that keeps the
# program's standard error and frame_name to the caption the program's
# frame starts with.

# How a failed step ends, after its own lines: the focus and the program's
# standard error are shown, the program and the window manager stopped.
fail_end() {
  echo "--- focus: $(focused)"
  echo "--- program's standard error:"
  cat "$err"
  [ -n "$pid" ] && kill "$pid" 2> /dev/null
  [ -n "$wm" ] && kill "$wm" 2> /dev/null
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
