#!/usr/bin/env bash
# Speed and peak memory of a whole merge: velmora-join against the same
# two-stage pipeline with the ffmpeg tool (each source into an intermediate
# MPEG program stream with the intermediate options, the intermediates
# appended with cat, the joined file into the output with the final
# options), on three 60-second 640x480 sources of different containers, for
# two presets, in two forms: (a) one codec thread per run, the sources one
# after another, and (b) the same with the ffmpeg tool's default threads.
# velmora-join runs with its defaults (as many sources at once and as many
# final codec threads as there are processors), and once more one source at
# a time with one codec thread, the same work as (a) (goal: at most 1.0).
# The presets:
#   0  AVI: mpeg4 320x240 at 528 kbit/s, MP3 44.1 kHz stereo 128 kbit/s
#   5  H.264: libx264 320x240 at 528 kbit/s in the intermediates and the MP4, AAC
# velmora-join also checks its output (decoding its start and its end) and
# removes the intermediates; both are part of its merge.
# Prints per preset the mean wall times, the ratios velmora/(a) (goal: at
# most 0.6) and velmora/(b) (goal: at most 0.9) and the largest peak
# resident memory of each.
#   bench/merge.sh [rounds]     (default 3; the sources are made once)
# (bench/merge.sh --pipeline PRESET single|threaded runs the ffmpeg tool's
# pipeline once; the benchmark times it that way.)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--pipeline" ]; then
  pipeline=${2:?a preset}
  form=${3:?single or threaded}
else
  rounds=${1:-3}
fi
# shellcheck source=bench/timing.sh
source bench/timing.sh
prepare_velmora_join

work=out/bench
mkdir -p "$work"
sources=("$work/merge-a.mpg" "$work/merge-b.mp4" "$work/merge-c.mkv")
codecs=("-c:v mpeg2video -b:v 4M -c:a mp2 -b:a 192k" "-c:v mpeg4 -b:v 3M -c:a aac" \
        "-c:v mpeg4 -b:v 3M -c:a libmp3lame")
for i in 0 1 2; do
  if [ ! -s "${sources[$i]}" ]; then
    echo "Making ${sources[$i]} (once)..."
    # shellcheck disable=SC2086  # the codec list is split on purpose
    ffmpeg -hide_banner -nostdin -loglevel error -y \
      -f lavfi -i "testsrc2=size=640x480:rate=25:duration=60" \
      -f lavfi -i "sine=frequency=$((330 + 110 * i)):duration=60" \
      ${codecs[$i]} -shortest "${sources[$i]}"
  fi
done

# The options velmora-join gives its two encodes for each preset, as the
# ffmpeg tool spells them.
quality="-s 320x240 -r 25 -aspect 4:3 -b:v 528k -ac 2 -ar 44100 -b:a 128k"
declare -A intermediate final extension
intermediate[0]="$quality -c:v mpeg4 -bf 0"
final[0]="$quality -c:v mpeg4 -vtag DX50"
extension[0]=avi
intermediate[5]="$quality -c:v libx264 -bf 0"
final[5]="$quality -c:v libx264"
extension[5]=mp4
presets=(0 5)

# The ffmpeg tool's pipeline for one preset, with one codec thread per run
# (single) or the tool's default threads (threaded).
ffmpeg_merge() {
  local preset=$1 folder=$work/merge-ffmpeg-$1-$2 parts=() threads=""
  if [ "$2" = single ]; then threads="-threads 1"; fi
  rm -rf "$folder" && mkdir -p "$folder"
  for source in "${sources[@]}"; do
    local name part seconds
    name=$(basename "${source%.*}")
    part=$folder/$name.mpg
    seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$source")
    # shellcheck disable=SC2086
    ffmpeg -hide_banner -nostdin -loglevel error -y $threads -i "$source" -t "$seconds" \
      ${intermediate[$preset]} $threads -f mpeg "$part"
    parts+=("$part")
  done
  cat "${parts[@]:1}" >>"${parts[0]}"
  # shellcheck disable=SC2086
  ffmpeg -hide_banner -nostdin -loglevel error -y $threads -i "${parts[0]}" \
    ${final[$preset]} $threads "$folder/ALL_merge-a.${extension[$preset]}"
  rm -f "${parts[@]}"
}
if [ -n "${pipeline:-}" ]; then
  ffmpeg_merge "$pipeline" "$form"
  exit
fi

declare -A total peak

run_velmora() {
  local folder=$work/merge-velmora-$1
  rm -rf "$folder"
  measured "$1-velmora" "$join" -p "$1" --after none -o "$folder" "${sources[@]}"
  # The same work as (a): one source at a time, one codec thread.
  rm -rf "$folder"
  measured "$1-serial" "$join" -p "$1" --jobs 1 --threads 1 --after none -o "$folder" \
    "${sources[@]}"
}
run_ffmpeg() {
  measured "$1-single" bash bench/merge.sh --pipeline "$1" single
  measured "$1-threaded" bash bench/merge.sh --pipeline "$1" threaded
}

for ((round = 1; round <= rounds; round++)); do
  for preset in "${presets[@]}"; do
    if ((round % 2)); then
      run_velmora "$preset"
      run_ffmpeg "$preset"
    else
      run_ffmpeg "$preset"
      run_velmora "$preset"
    fi
  done
done

for preset in "${presets[@]}"; do
  awk -v preset="$preset" -v v="${total[$preset-velmora]}" -v a="${total[$preset-single]}" \
    -v b="${total[$preset-threaded]}" -v n="$rounds" -v vm="${peak[$preset-velmora]}" \
    -v am="${peak[$preset-single]}" -v bm="${peak[$preset-threaded]}" \
    -v s="${total[$preset-serial]}" -v sm="${peak[$preset-serial]}" 'BEGIN {
    printf "preset %-2s velmora %7.2f s  (a) one thread %7.2f s  (b) default threads %7.2f s  (mean of %d)\n",
      preset, v / n, a / n, b / n, n
    printf "          ratio velmora/(a) %.3f (goal <= 0.6)  velmora/(b) %.3f (goal <= 0.9)   peak memory velmora %6.1f MiB  (a) %6.1f MiB  (b) %6.1f MiB\n",
      v / a, v / b, vm / 1024, am / 1024, bm / 1024
    printf "          one at a time (--jobs 1 --threads 1) %7.2f s  ratio to (a) %.3f (goal <= 1.0)  peak memory %6.1f MiB\n",
      s / n, s / a, sm / 1024
  }'
done
