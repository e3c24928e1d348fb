#!/usr/bin/env bash
# Speed of stream copy: velmora-convert against the ffmpeg tool doing the
# same work in the same run, alternating, on two jobs:
#   join  two 30-second 720p MPEG-PS sources joined into one file
#   copy  a 60-second 720p H.264/AAC MP4 copied into Matroska
# Prints the wall-time ratio velmora/ffmpeg of each job (goal: at most 1.05).
#   bench/stream-copy.sh [rounds]     (default 5; the sources are made once)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
build=${VELMORA_BUILD:-build}
convert=$build/tools/velmora-convert
if [ ! -x "$convert" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j"$(nproc)" --target velmora-convert >/dev/null
fi

work=out/bench
mkdir -p "$work"
ff() { ffmpeg -hide_banner -nostdin -loglevel error -y "$@"; }
if ffmpeg -hide_banner -encoders 2>/dev/null | grep -q " libx264 "; then
  h264=(-c:v libx264 -preset ultrafast -b:v 4M)
else
  h264=(-c:v mpeg4 -b:v 4M)
fi
if [ ! -s "$work/source-60s.mp4" ]; then
  echo "Making the sources in $work (once)..."
  ff -f lavfi -i testsrc2=size=1280x720:rate=25:duration=60 -f lavfi -i sine=duration=60 \
    "${h264[@]}" -c:a aac -shortest "$work/source-60s.mp4"
  for part in a b; do
    ff -f lavfi -i testsrc2=size=1280x720:rate=25:duration=30 -f lavfi -i sine=duration=30 \
      -c:v mpeg2video -b:v 6M -c:a mp2 -shortest -f mpeg "$work/part-$part.mpg"
  done
  printf "file '%s'\nfile '%s'\n" "$PWD/$work/part-a.mpg" "$PWD/$work/part-b.mpg" >"$work/parts.txt"
fi

now() { date +%s.%N; }
# Runs a command and adds its wall time to the named total.
declare -A total
timed() {
  local name=$1
  shift
  local start end
  start=$(now)
  "$@" >/dev/null 2>&1
  end=$(now)
  total[$name]=$(awk -v t="${total[$name]:-0}" -v s="$start" -v e="$end" 'BEGIN { print t + e - s }')
}

for ((round = 1; round <= rounds; round++)); do
  timed join-velmora "$convert" -v -1 -i "$work/part-a.mpg" -i "$work/part-b.mpg" \
    -vcodec copy -acodec copy -join "$work/joined-velmora.mpg"
  timed join-ffmpeg ff -f concat -safe 0 -i "$work/parts.txt" -c copy "$work/joined-ffmpeg.mpg"
  timed copy-ffmpeg ff -i "$work/source-60s.mp4" -c copy "$work/copy-ffmpeg.mkv"
  timed copy-velmora "$convert" -v -1 -i "$work/source-60s.mp4" -vcodec copy -acodec copy \
    "$work/copy-velmora.mkv"
done

for job in join copy; do
  v=${total[$job-velmora]}
  f=${total[$job-ffmpeg]}
  awk -v job="$job" -v v="$v" -v f="$f" -v n="$rounds" 'BEGIN {
    printf "%-5s velmora %6.3f s  ffmpeg %6.3f s  (mean of %d)  ratio %.3f\n", job, v / n, f / n, n, v / f
  }'
done
