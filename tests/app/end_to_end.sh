#!/bin/sh
# Drives the real kobrix as a user would, on the display in DISPLAY:
#   end_to_end.sh PROGRAM PROJECT EXPORT SCREENSHOT
# opens PROJECT (Ctrl+O), plays it (Space), exports its sound as WAVE to
# EXPORT from the Export menu and quits (Ctrl+Q). SCREENSHOT gets the
# window with the project open. The caller sets the program's environment.
set -u
program=$1 project=$2 export_path=$3 screenshot=$4

# Waits (a slow build, e.g. under the sanitizers, may take long) for a
# window whose name matches $1; 1 when none came.
await_window() {
  timeout 60 xdotool search --sync --name "$1" > /dev/null
}
# Types into the file-name field of the dialog titled $1, emptied first.
answer() {
  await_window "$1" || return 1
  sleep 0.5
  xdotool key --delay 5 --repeat 80 BackSpace
  xdotool type --delay 15 "$2"
  sleep 0.3
  xdotool key Return
}
# The keyboard goes back to the frame (a click on its empty area).
focus_frame() {
  xdotool windowfocus --sync "$frame"
  xdotool mousemove --window "$frame" 590 550 click 1
  sleep 0.5
}

"$program" &
pid=$!
frame=$(timeout 30 xdotool search --sync --name "Velmora AV Studio" | head -1)
[ -n "$frame" ] || { kill $pid; exit 2; }
sleep 2
focus_frame
xdotool key --clearmodifiers ctrl+o
answer "^Open Project$" "$project" || { kill $pid; exit 3; }
# The caption names the project once it is open.
await_window "Velmora AV Studio.*$(basename "$project" | tr 'A-Z' 'a-z' | sed 's/[.]/[.]/g')" || { kill $pid; exit 5; }
sleep 1
# The mixer window (shown from the start) stays above the frame that was
# raised again when the dialog closed; xwininfo lists the top first.
if command -v xwininfo > /dev/null 2>&1; then
  order=$(xwininfo -root -tree | grep -o '"A.Meter"\|"Velmora AV Studio' | tr -d '"')
  [ "$(echo "$order" | head -1)" = "A.Meter" ] || { echo "mixer window not above the frame: $order"; kill $pid; exit 7; }
fi
ffmpeg -v error -y -f x11grab -video_size 1280x1024 -i "$DISPLAY" -frames:v 1 "$screenshot"

focus_frame
xdotool key space
# The project plays for three seconds.
sleep 4.5

focus_frame
xdotool key alt+x
sleep 0.5
xdotool key w
answer "^Export Wave$" "$export_path" || { kill $pid; exit 6; }
# The export is complete once its file holds the whole range.
for i in $(seq 1 240); do
  [ "$(stat -c %s "$export_path" 2>/dev/null || echo 0)" -ge 529244 ] && break
  sleep 0.5
done
sleep 1

focus_frame
xdotool key --clearmodifiers ctrl+q
# Questions to save what changed are answered No.
for i in $(seq 1 20); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.5
  [ $((i % 4)) -eq 0 ] && xdotool key n
done
if kill -0 $pid 2>/dev/null; then
  kill $pid
  exit 4
fi
wait $pid
