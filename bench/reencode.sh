#!/usr/bin/env bash
# Speed and peak memory of re-encoding: velmora-convert against the ffmpeg
# tool with the same options and one codec thread, alternating, on three
# encodes of the same 60-second 640x480 MPEG-PS source:
#   avi   mpeg4 320x240 at 528 kbit/s with MP3 128 kbit/s, in AVI
#   h264  libx264 640x480 with AAC, in MP4
#   mp3   the audio alone, MP3 128 kbit/s
# Prints per encode the mean wall time of both, the ratio velmora/ffmpeg
# (goal: at most 1.05) and the largest peak resident memory of both.
#   bench/reencode.sh [rounds]     (default 3; the source is made once)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
build=${VELMORA_BUILD:-build}
convert=$build/tools/velmora-convert
if [ ! -x "$convert" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j"$(nproc)" --target velmora-convert >/dev/null
fi
if [ ! -x /usr/bin/time ]; then
  echo "bench/reencode.sh needs /usr/bin/time (scripts/install-deps.sh installs it)" >&2
  exit 1
fi

work=out/bench
mkdir -p "$work"
source=$work/source-60s-480p.mpg
if [ ! -s "$source" ]; then
  echo "Making the source in $work (once)..."
  ffmpeg -hide_banner -nostdin -loglevel error -y \
    -f lavfi -i testsrc2=size=640x480:rate=25:duration=60 -f lavfi -i sine=duration=60 \
    -c:v mpeg2video -b:v 4M -c:a mp2 -b:a 192k -shortest -f mpeg "$source"
fi

# The options of each encode, as both programs take them.
x264=(-qmin 10 -qmax 51 -qdiff 4 -qcomp 0.6 -me_range 16 -subq 7 -g 250 -i_qfactor 0.71 -bf 3)
declare -A velmora_args ffmpeg_args output
velmora_args[avi]="-s 320x240 -vcodec mpeg4 -b 528k -acodec libmp3lame -ab 128k"
ffmpeg_args[avi]="-s 320x240 -c:v mpeg4 -b:v 528k -c:a libmp3lame -b:a 128k"
output[avi]=avi
velmora_args[h264]="-vcodec libx264 -b 1000k ${x264[*]} -acodec aac -ab 128k"
ffmpeg_args[h264]="-c:v libx264 -b:v 1000k ${x264[*]} -c:a aac -b:a 128k"
output[h264]=mp4
velmora_args[mp3]="-vn -acodec libmp3lame -ab 128k"
ffmpeg_args[mp3]="-vn -c:a libmp3lame -b:a 128k"
output[mp3]=mp3
jobs=(avi h264 mp3)

declare -A total peak
# shellcheck source=bench/timing.sh
source bench/timing.sh

for ((round = 1; round <= rounds; round++)); do
  for job in "${jobs[@]}"; do
    # shellcheck disable=SC2086  # the option lists are split on purpose
    if ((round % 2)); then
      measured "$job-velmora" "$convert" -v -1 -i "$source" ${velmora_args[$job]} -y \
        "$work/$job-velmora.${output[$job]}"
      measured "$job-ffmpeg" ffmpeg -hide_banner -nostdin -loglevel error -y -threads 1 \
        -i "$source" ${ffmpeg_args[$job]} -threads 1 "$work/$job-ffmpeg.${output[$job]}"
    else
      measured "$job-ffmpeg" ffmpeg -hide_banner -nostdin -loglevel error -y -threads 1 \
        -i "$source" ${ffmpeg_args[$job]} -threads 1 "$work/$job-ffmpeg.${output[$job]}"
      measured "$job-velmora" "$convert" -v -1 -i "$source" ${velmora_args[$job]} -y \
        "$work/$job-velmora.${output[$job]}"
    fi
  done
done

for job in "${jobs[@]}"; do
  awk -v job="$job" -v v="${total[$job-velmora]}" -v f="${total[$job-ffmpeg]}" -v n="$rounds" \
    -v vm="${peak[$job-velmora]}" -v fm="${peak[$job-ffmpeg]}" 'BEGIN {
    printf "%-5s velmora %7.3f s  ffmpeg %7.3f s  (mean of %d)  ratio %.3f   peak memory velmora %6.1f MiB  ffmpeg %6.1f MiB\n",
      job, v / n, f / n, n, v / f, vm / 1024, fm / 1024
  }'
done
