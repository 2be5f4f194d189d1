#!/bin/sh
# Help on the display in DISPLAY, with the desktop's opener stood in for:
#   help.sh PROGRAM FOLDER SHOTS
# FOLDER holds the project MixCase/Core.tml and bin/xdg-open, which adds the
# page it is asked for to FOLDER/opened.txt, then fails (status 3) while
# FOLDER/fail exists, else stays for 20 s as an opener that waits for its
# viewer does (its process id added to FOLDER/viewers.txt). The program
# starts in FOLDER with "MixCase/Core.tml", and its caption shows the path
# as on disk. F1 with the failing opener brings up the "Kobrix Help" box,
# which Return closes, and leaves no zombie behind. F1 with the staying
# opener, then Ctrl+O: "Open Project" comes up at once. F1 again and quit
# at once: the program ends while that opener runs on. SHOTS gets a picture
# of the box (help-cannot-launch.png). Every wait is for a state, never a
# fixed time.
set -u
program=$1 folder=$2 shots=$3

viewers() { cat "$folder/viewers.txt" 2> /dev/null | wc -l; }
viewers_are() { [ "$(viewers)" -eq "$1" ]; }
last_viewer() { tail -1 "$folder/viewers.txt"; }
stop_viewers() {
  [ -s "$folder/viewers.txt" ] && kill $(cat "$folder/viewers.txt") 2> /dev/null
  return 0
}

fail() {
  echo "help: step '$step' failed: $*"
  stop_viewers
  fail_end
}

. "$(dirname "$0")/x11_steps.sh"

now_ms() { date +%s%3N; }
caption_is() {
  for w in $(shown "^$frame_name"); do [ "$(xdotool getwindowname "$w")" = "$1" ] && return 0; done
  return 1
}

step="start"
cd "$folder" || fail "no folder $folder"
PATH="$folder/bin:$PATH" "$program" MixCase/Core.tml 2>> "$err" &
pid=$!
await "the frame" shown "^$frame_name"
await "the keyboard in the frame" has_focus "^$frame_name"
step="the caption"
await "the project's path as on disk in the caption" caption_is "$frame_name - $folder/MixCase/Core.tml"

step="a failing opener"
touch "$folder/fail"
xdotool key F1
await "the box that the opener failed" shown "^Kobrix Help\$"
await "the keyboard in the box" has_focus "^Kobrix Help\$"
grep -q "index.html#topic-911" "$folder/opened.txt" || fail "the opener was asked for: $(cat "$folder/opened.txt")"
# The box comes once the opener has been waited for.
[ "$(ps -o stat= --ppid "$pid" | grep -c Z)" = 0 ] || fail "a zombie is left: $(ps -o pid,stat,args --ppid "$pid")"
grab "$shots/help-cannot-launch.png"
xdotool key Return
await "Return to close the box" not shown "^Kobrix Help\$"
await "the keyboard back in the frame" has_focus "^$frame_name"

step="an opener that stays"
rm -f "$folder/fail"
xdotool key F1
await "the opener" viewers_are 1
began=$(now_ms)
xdotool key --clearmodifiers ctrl+o
await "'Open Project'" shown "^Open Project\$"
took=$(($(now_ms) - began))
# An opener that held the program kept it for its whole 20 s; 10 s is a
# guard generous enough for a busy machine, not the time the dialog takes.
[ "$took" -lt 10000 ] || fail "'Open Project' came after $took ms"
await "the keyboard in 'Open Project'" has_focus "^Open Project\$"
xdotool key Escape
await "'Open Project' to close" not shown "^Open Project\$"
await "the keyboard back in the frame after 'Open Project'" has_focus "^$frame_name"

step="quit while an opener stays"
xdotool key F1
await "a second opener" viewers_are 2
quit_program
kill -0 "$(last_viewer)" 2> /dev/null || fail "the program ended only once the opener had"
stop_viewers
rm -f "$err"
exit 0
