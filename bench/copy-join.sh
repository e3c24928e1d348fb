#!/usr/bin/env bash
# Speed of the join without re-encoding: velmora-join --copy against the
# ffmpeg tool's concat demuxer with -c copy on the same three 60-second 720p
# H.264/AAC MP4 files, alternating. Prints the mean wall times, the ratio
# velmora/ffmpeg (goal: at most 1.0), the peak memory of both, and both
# outputs' durations and packet counts (which should be equal).
#   bench/copy-join.sh [rounds]     (default 3; the sources are made once)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
# shellcheck source=bench/timing.sh
source bench/timing.sh
prepare_velmora_join
if ! ffmpeg -hide_banner -encoders 2>/dev/null | grep -q " libx264 "; then
  echo "bench/copy-join.sh needs the ffmpeg tool with libx264" >&2
  exit 1
fi

work=out/bench
mkdir -p "$work"
sources=("$PWD/$work/copy-a.mp4" "$PWD/$work/copy-b.mp4" "$PWD/$work/copy-c.mp4")
for i in 0 1 2; do
  if [ ! -s "${sources[$i]}" ]; then
    echo "Making ${sources[$i]} (once)..."
    ffmpeg -hide_banner -nostdin -loglevel error -y \
      -f lavfi -i "testsrc2=size=1280x720:rate=25:duration=60" \
      -f lavfi -i "sine=frequency=$((330 + 110 * i)):duration=60" \
      -c:v libx264 -preset veryfast -b:v 4M -c:a aac -shortest "${sources[$i]}"
  fi
done
list=$work/copy-list.txt
printf "file '%s'\n" "${sources[@]}" >"$list"

declare -A total peak
velmora_out=$work/copy-velmora/ALL_copy-a.mp4
ffmpeg_out=$work/copy-ffmpeg.mp4
run_velmora() {
  rm -rf "$work/copy-velmora"
  measured velmora "$join" --copy -p 4 -o "$work/copy-velmora" "${sources[@]}"
}
run_ffmpeg() {
  measured ffmpeg ffmpeg -hide_banner -nostdin -loglevel error -y -f concat -safe 0 -i "$list" \
    -c copy "$ffmpeg_out"
}
for ((round = 1; round <= rounds; round++)); do
  if ((round % 2)); then run_velmora; run_ffmpeg; else run_ffmpeg; run_velmora; fi
done

describe() {
  local duration packets
  duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$1")
  packets=$(ffprobe -v error -show_entries packet=stream_index -of csv=p=0 "$1" | grep -c .)
  echo "duration $duration s, $packets packets"
}
awk -v v="${total[velmora]}" -v f="${total[ffmpeg]}" -v n="$rounds" \
  -v vm="${peak[velmora]}" -v fm="${peak[ffmpeg]}" 'BEGIN {
  printf "copy join  velmora %6.2f s  ffmpeg %6.2f s  (mean of %d)  ratio %.3f (goal <= 1.0)   peak memory velmora %6.1f MiB  ffmpeg %6.1f MiB\n",
    v / n, f / n, n, v / f, vm / 1024, fm / 1024
}'
echo "velmora: $(describe "$velmora_out")"
echo "ffmpeg:  $(describe "$ffmpeg_out")"
