#!/usr/bin/env bash
# Runs the tools a user would otherwise pick beside our benchmarks of the
# same work, on the same files, and prints how many times faster we are
# (above 1: faster). Each side runs ROUNDS times, ours and the peer's in
# turn, and the best run of each counts: builds of others share the machine.
# Decoding and playing also give the median of the rounds, which a passing
# load moves less than it moves the best.
#
#   bench/compare.sh [BUILD]          BUILD: the build folder (default build)
#
# ROUNDS (3), MIX_MINUTES (10) and RESAMPLE_SECONDS (60) change the work.
# Where no other program does the same work (opening a project), the line
# holds our figures and its ratio is the budget over what was spent.
# Needs ffmpeg and sox (scripts/setup.sh installs them) and the benchmarks
# built in BUILD. Everything it writes goes into one temporary folder that
# it takes away again.
set -euo pipefail

BUILD=${1:-build}
ROUNDS=${ROUNDS:-3}
MIX_MINUTES=${MIX_MINUTES:-10}
RESAMPLE_SECONDS=${RESAMPLE_SECONDS:-60}
BENCH="$BUILD/bench"

for tool in ffmpeg sox taskset; do
  command -v "$tool" > /dev/null || { echo "compare: $tool is not installed" >&2; exit 1; }
done
for b in video_decode_bench video_play_bench audio_export_bench resample_bench video_export_bench \
  project_file_bench; do
  [ -x "$BENCH/$b" ] || { echo "compare: $BENCH/$b is not built" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kobrix-compare-XXXXXX")
trap 'rm -rf "$work"' EXIT

# One of our benchmarks as CSV.
ours() {
  local bench=$1 filter=$2
  shift 2
  "$BENCH/$bench" --benchmark_filter="$filter" --benchmark_format=csv "$@" 2> /dev/null
}

# The value of a column of the first row of CSV on standard input.
column() {
  awk -F, -v want="$1" '
    NR == 1 { for (i = 1; i <= NF; i++) { h = $i; gsub(/"/, "", h); if (h == want) c = i }; next }
    c { print $c; exit }'
}

# Seconds of wall and processor time of a command, as "real user+system".
timed() {
  local TIMEFORMAT='%R %U %S'
  { time "$@" > /dev/null 2>&1; } 2>&1 | awk '{ print $1, $2 + $3 }'
}

max() { awk -v a="$1" -v b="$2" 'BEGIN { print (b > a ? b : a) }'; }
max_of() {
  local best=0 v
  for v in "$@"; do best=$(max "$best" "$v"); done
  echo "$best"
}
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a ? b : a) }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
# The median of the numbers given (the mean of the middle two of an even count).
median() {
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
# The first processor this script may run on: "one processor each" pins both sides to it.
one_cpu=$(sed -n 's/^Cpus_allowed_list:[[:space:]]*\([0-9]*\).*/\1/p' /proc/self/status)

echo "Kobrix beside its peers, $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "machine: $(nproc) processors, $(awk -F: '/model name/ { print $2; exit }' /proc/cpuinfo | sed 's/^ *//')"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg); best of $ROUNDS rounds each (decode and play: median too)"
echo "processors allowed: $(sed -n 's/^Cpus_allowed_list:[[:space:]]*//p' /proc/self/status)"
echo

# ---- Frame decoding: 720 x 576 Motion JPEG to 24-bit pictures, one thread each.
frames=250
loops=4
for sampling in 420 422; do
  file="$work/mjpeg$sampling.avi"
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=720x576:rate=25,noise=alls=10:allf=t" \
    -frames:v $frames -c:v mjpeg -q:v 3 -pix_fmt "yuvj${sampling}p" "$file"
  ours_real=() ours_cpu=() peer_real=() peer_cpu=()
  for ((r = 0; r < ROUNDS; r++)); do
    csv=$(KOBRIX_BENCH_VIDEO="$file" ours video_decode_bench '^BM_DecodeNamedFile' --benchmark_min_time=2)
    ours_real+=("$(awk -v ms="$(column real_time <<< "$csv")" 'BEGIN { print 1000 / ms }')")
    ours_cpu+=("$(awk -v ms="$(column cpu_time <<< "$csv")" 'BEGIN { print 1000 / ms }')")
    # The file played loops times over, so that starting ffmpeg weighs little.
    out=$(ffmpeg -nostdin -benchmark -threads 1 -filter_threads 1 -stream_loop $((loops - 1)) -i "$file" \
      -pix_fmt bgr24 -f null - 2>&1 | tr '\r' '\n')
    n=$((frames * loops))
    peer_real+=("$(sed -n 's/.*rtime=\([0-9.]*\)s.*/\1/p' <<< "$out" | awk -v n=$n '{ print n / $1 }')")
    peer_cpu+=("$(sed -n 's/.*utime=\([0-9.]*\)s stime=\([0-9.]*\)s.*/\1 \2/p' <<< "$out" |
      awk -v n=$n '{ print n / ($1 + $2) }')")
  done
  best_real=$(max_of "${ours_real[@]}") best_cpu=$(max_of "${ours_cpu[@]}")
  best_peer=$(max_of "${peer_real[@]}") best_peer_cpu=$(max_of "${peer_cpu[@]}")
  mid_real=$(median "${ours_real[@]}") mid_peer=$(median "${peer_real[@]}")
  if [ "$sampling" = 420 ]; then
    ffmpeg_decode=$best_peer
    ffmpeg_decode_median=$mid_peer
  fi
  printf 'decode MJPEG 4:%s:%s 720x576 -> 24-bit: ours %.0f fps (%.0f per CPU second), ffmpeg %.0f fps (%.0f); ratio %s (CPU %s); median ours %.0f fps, ffmpeg %.0f fps, ratio %s\n' \
    "${sampling:1:1}" "${sampling:2:1}" "$best_real" "$best_cpu" "$best_peer" "$best_peer_cpu" \
    "$(ratio "$best_real" "$best_peer")" "$(ratio "$best_cpu" "$best_peer_cpu")" \
    "$mid_real" "$mid_peer" "$(ratio "$mid_real" "$mid_peer")"
done

# ---- Video play: the 4:2:0 file above decoded and drawn by the hand-drawn
# player into its window (headless), at the frame's size and at twice it,
# beside ffmpeg's decoding alone of the same file (measured above).
file="$work/mjpeg420.avi"
for zoom in 1 2; do
  ours_play=()
  for ((r = 0; r < ROUNDS; r++)); do
    csv=$(KOBRIX_BENCH_VIDEO="$file" ours video_play_bench "^BM_HandPlayerDecodeAndDraw720x576/$zoom/" \
      --benchmark_min_time=2)
    ours_play+=("$(awk -v ms="$(column real_time <<< "$csv")" 'BEGIN { print 1000 / ms }')")
  done
  best=$(max_of "${ours_play[@]}") mid=$(median "${ours_play[@]}")
  printf 'video play %s:1 720x576 MJPEG into a %dx%d window: ours %.0f fps (decode and draw), ffmpeg %.0f fps (decode alone); ratio %s; median ours %.0f fps, ffmpeg %.0f fps, ratio %s\n' \
    "$zoom" $((720 * zoom)) $((576 * zoom)) "$best" "$ffmpeg_decode" "$(ratio "$best" "$ffmpeg_decode")" \
    "$mid" "$ffmpeg_decode_median" "$(ratio "$mid" "$ffmpeg_decode_median")"
done

# ---- Mix-down: four lines of 16-bit stereo 44.1 kHz to one WAVE file.
mix=()
for line in 0 1 2 3; do
  f="$work/line$line.wav"
  sox -n -r 44100 -c 2 -b 16 "$f" synth $((MIX_MINUTES * 60)) sine $((220 + 110 * line)) \
    sine $((1000 + 700 * line)) pinknoise vol 0.2 2> /dev/null
  mix+=("$f")
done
# Our export runs its threads on one processor, so its wall time is its
# processor time; sox runs on one thread. Neither dithers: our mix rounds
# to 16 bits, so sox is told not to dither either (-D).
ours_real="" peer_real="" peer_cpu=""
for ((r = 0; r < ROUNDS; r++)); do
  csv=$(KOBRIX_BENCH_MIX="$(IFS=:; echo "${mix[*]}")" ours audio_export_bench '^BM_ExportWave')
  ours_real=$(min "$ours_real" "$(column real_time <<< "$csv")")
  read -r real cpu < <(timed sox -D -m "${mix[@]}" "$work/sox-mix.wav")
  peer_real=$(min "$peer_real" "$real")
  peer_cpu=$(min "$peer_cpu" "$cpu")
  rm -f "$work/sox-mix.wav"
done
printf 'mix-down 4 x %s min: ours %.2f s on one processor, sox -D -m %.2f s (CPU %.2f s); ratio %s\n' \
  "$MIX_MINUTES" "$ours_real" "$peer_real" "$peer_cpu" "$(ratio "$peer_real" "$ours_real")"

# ---- The same mix-down as a user runs it: "kobrix p.tml /wave out.wav" on a
# project of the four files, all of the program's processor time (start-up,
# reading, its threads on any processor) beside that of sox -D -m. The first
# round keeps both exports, which must be the same file.
keep="$work/keep"
mkdir -p "$keep"
ours_cpu=""
for ((r = 0; r < ROUNDS; r++)); do
  keeping=()
  if [ "$r" = 0 ]; then
    keeping=(env KOBRIX_BENCH_KEEP="$keep")
    "${keeping[@]}" KOBRIX_BENCH_MIX="$(IFS=:; echo "${mix[*]}")" \
      "$BENCH/audio_export_bench" --benchmark_filter='^BM_ExportWave' > /dev/null 2>&1
  fi
  csv=$("${keeping[@]}" env KOBRIX_BENCH_MIX="$(IFS=:; echo "${mix[*]}")" \
    "$BENCH/audio_export_bench" --benchmark_filter='^BM_CommandLineWave' --benchmark_format=csv 2> /dev/null)
  ours_cpu=$(min "$ours_cpu" "$(column cpu_seconds <<< "$csv")")
done
same=no
cmp -s "$keep/mix.wav" "$keep/command.wav" && same=yes
rm -rf "$keep"
printf 'command-line /wave 4 x %s min: ours %.2f s CPU, sox -D -m %.2f s CPU; ratio %s; output the same as the mix-down benchmark'"'"'s: %s\n' \
  "$MIX_MINUTES" "$ours_cpu" "$peer_cpu" "$(ratio "$peer_cpu" "$ours_cpu")" "$same"

# ---- Resampling: 44.1 to 48 kHz, 16-bit stereo, file to file.
wave="$work/music.wav"
sox -n -r 44100 -c 2 -b 16 "$wave" synth "$RESAMPLE_SECONDS" sine 220 sine 1870 pinknoise vol 0.3 2> /dev/null
ours_real="" ours_cpu="" peer_real="" peer_cpu=""
for ((r = 0; r < ROUNDS; r++)); do
  csv=$(KOBRIX_BENCH_WAVE="$wave" ours resample_bench '^BM_Resample')
  ours_real=$(min "$ours_real" "$(awk -v ms="$(column real_time <<< "$csv")" 'BEGIN { print ms / 1000 }')")
  ours_cpu=$(min "$ours_cpu" "$(awk -v ms="$(column cpu_time <<< "$csv")" 'BEGIN { print ms / 1000 }')")
  read -r real cpu < <(timed sox "$wave" -r 48000 "$work/sox-48k.wav")
  peer_real=$(min "$peer_real" "$real")
  peer_cpu=$(min "$peer_cpu" "$cpu")
  rm -f "$work/sox-48k.wav"
done
printf 'resample %s s 44.1 -> 48 kHz stereo: ours %.3f s (CPU %.3f s), sox -r 48000 %.3f s (CPU %.3f s); ratio %s (CPU %s)\n' \
  "$RESAMPLE_SECONDS" "$ours_real" "$ours_cpu" "$peer_real" "$peer_cpu" \
  "$(ratio "$peer_real" "$ours_real")" "$(ratio "$peer_cpu" "$ours_cpu")"

# ---- Exports of the 4:2:0 file above: a cut-only project copied into an AVI
# file (ours: its four quarters in another order; ffmpeg: -c copy of the file
# played loops times over), and the same frames as MPEG-1 video in a system
# stream at about 6 Mbit/s, as a project of pictures alone exports them.
# ffmpeg gets the same encoder settings as ours: a key picture every 12 at
# 25 fps, up to two B-pictures between references, a ceiling of one and a
# half times the rate and a buffer of 1835008 bits. The MPEG line runs twice: both
# sides pinned to one processor (ffmpeg with one thread: -threads 1), and
# both free on every processor allowed (ffmpeg with its own threads).
file="$work/mjpeg420.avi"
mpeg_like=(-c:v mpeg1video -b:v 5999616 -g 12 -bf 2 -maxrate 8999424 -bufsize 1835008 -f mpeg)
ours_copy=0 peer_copy=0 ours_mpeg1=0 peer_mpeg1=0 ours_mpeg=0 peer_mpeg=0
peer_mpeg_fps() {
  sed -n 's/.*rtime=\([0-9.]*\)s.*/\1/p' | awk -v n=$frames '{ print n / $1 }'
}
for ((r = 0; r < ROUNDS; r++)); do
  csv=$(KOBRIX_GUI=headless KOBRIX_BENCH_VIDEO="$file" ours video_export_bench '^BM_AviExportCutOnly')
  ours_copy=$(max "$ours_copy" "$(column items_per_second <<< "$csv")")
  out=$(ffmpeg -nostdin -benchmark -stream_loop $((loops - 1)) -i "$file" -c copy -y "$work/copy.avi" 2>&1 |
    tr '\r' '\n')
  peer_copy=$(max "$peer_copy" "$(sed -n 's/.*rtime=\([0-9.]*\)s.*/\1/p' <<< "$out" |
    awk -v n=$((frames * loops)) '{ print n / $1 }')")
  csv=$(KOBRIX_GUI=headless KOBRIX_BENCH_VIDEO="$file" taskset -c "$one_cpu" \
    "$BENCH/video_export_bench" --benchmark_filter='^BM_MpegExport' --benchmark_format=csv 2> /dev/null)
  ours_mpeg1=$(max "$ours_mpeg1" "$(column items_per_second <<< "$csv")")
  out=$(taskset -c "$one_cpu" ffmpeg -nostdin -benchmark -threads 1 -filter_threads 1 -i "$file" -threads 1 \
    "${mpeg_like[@]}" -y "$work/peer.mpg" 2>&1 | tr '\r' '\n')
  peer_mpeg1=$(max "$peer_mpeg1" "$(peer_mpeg_fps <<< "$out")")
  csv=$(KOBRIX_GUI=headless KOBRIX_BENCH_VIDEO="$file" ours video_export_bench '^BM_MpegExport')
  ours_mpeg=$(max "$ours_mpeg" "$(column items_per_second <<< "$csv")")
  out=$(ffmpeg -nostdin -benchmark -i "$file" "${mpeg_like[@]}" -y "$work/peer.mpg" 2>&1 | tr '\r' '\n')
  peer_mpeg=$(max "$peer_mpeg" "$(peer_mpeg_fps <<< "$out")")
  rm -f "$work/copy.avi" "$work/peer.mpg"
done
printf 'AVI export, cut-only 720x576 MJPEG: ours %.0f frames/s, ffmpeg -c copy %.0f frames/s; ratio %s\n' \
  "$ours_copy" "$peer_copy" "$(ratio "$ours_copy" "$peer_copy")"
printf 'MPEG export 720x576 MJPEG -> MPEG-1 6 Mbit/s, GOP 12, 2 B: one processor each: ours %.0f frames/s, ffmpeg -threads 1 %.0f frames/s; ratio %s; all threads each: ours %.0f frames/s, ffmpeg %.0f frames/s; ratio %s\n' \
  "$ours_mpeg1" "$peer_mpeg1" "$(ratio "$ours_mpeg1" "$peer_mpeg1")" \
  "$ours_mpeg" "$peer_mpeg" "$(ratio "$ours_mpeg" "$peer_mpeg")"

# The most the one-processor MPEG ratio can reach with this encoder: our
# decode of the file into MPEG planes alone, plus ffmpeg's encoding alone of
# the same pictures decoded beforehand, its reading of them included (both
# pinned, best of the rounds).
ffmpeg -nostdin -v error -y -threads 1 -i "$file" -pix_fmt yuv420p -f rawvideo "$work/planes.yuv"
ours_planes=0 peer_encode=0
for ((r = 0; r < ROUNDS; r++)); do
  csv=$(KOBRIX_BENCH_VIDEO="$file" taskset -c "$one_cpu" "$BENCH/video_decode_bench" \
    --benchmark_filter='^BM_DecodeNamedFileToPlanes' --benchmark_format=csv --benchmark_min_time=2 2> /dev/null)
  ours_planes=$(max "$ours_planes" "$(awk -v ms="$(column real_time <<< "$csv")" 'BEGIN { print (ms > 0 ? 1000 / ms : 0) }')")
  out=$(taskset -c "$one_cpu" ffmpeg -nostdin -benchmark -threads 1 -f rawvideo -pix_fmt yuv420p -s 720x576 -r 25 \
    -i "$work/planes.yuv" -threads 1 "${mpeg_like[@]}" -y "$work/peer.mpg" 2>&1 | tr '\r' '\n')
  peer_encode=$(max "$peer_encode" "$(peer_mpeg_fps <<< "$out")")
  rm -f "$work/peer.mpg"
done
rm -f "$work/planes.yuv"
bound=$(awk -v d="$ours_planes" -v e="$peer_encode" 'BEGIN { print (d > 0 && e > 0 ? 1 / (1 / d + 1 / e) : 0) }')
printf 'MPEG export, the most one processor allows with this encoder: ours decoding to planes %.0f frames/s, ffmpeg encoding decoded planes %.0f frames/s; together %.0f frames/s; ratio %s\n' \
  "$ours_planes" "$peer_encode" "$bound" "$(ratio "$bound" "$peer_mpeg1")"

# ---- Opening a project of 10,000 clips (its media in memory): the time,
# and the read calls made on the project file, against a budget of 1,000.
ours_open="" reads=""
for ((r = 0; r < ROUNDS; r++)); do
  csv=$(ours project_file_bench '^BM_LoadProject$')
  ours_open=$(min "$ours_open" "$(column real_time <<< "$csv")")
  reads=$(column read_calls <<< "$csv")
done
printf 'open 10000 clips: ours %.1f ms, %.0f read calls on the project file (budget 1000); ratio %s\n' \
  "$ours_open" "$reads" "$(ratio 1000 "$reads")"

echo
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
