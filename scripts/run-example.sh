#!/usr/bin/env bash
# The main job on a built-in example: three short sources of mixed formats
# (AVI, Matroska and MP4, of two frame sizes and rates, with different
# sound) are generated on the spot and joined by velmora-join into one AVI
# file, ALL_source1.avi. Everything goes to out/example/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${VELMORA_BUILD:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target velmora-join

example=out/example
mkdir -p "$example"
rm -f "$example"/*
echo "Making three example sources in $example/ ..."
make_source() {  # name, size, rate, seconds, tone, codec options...
  local name=$1 size=$2 rate=$3 seconds=$4 tone=$5
  shift 5
  ffmpeg -hide_banner -nostdin -loglevel error -y \
    -f lavfi -i "testsrc2=size=$size:rate=$rate:duration=$seconds" \
    -f lavfi -i "sine=frequency=$tone:duration=$seconds" "$@" -shortest "$example/$name"
}
make_source source1.avi 640x360 25 3 330 -c:v mpeg4 -b:v 2M -c:a libmp3lame
make_source source2.mkv 640x360 25 4 440 -c:v libx264 -c:a libvorbis
make_source source3.mp4 480x270 30 3 550 -c:v mpeg4 -b:v 1M -c:a aac -ac 1

echo "Joining them with velmora-join (preset 0, AVI):"
"$build/tools/velmora-join" -p 0 -o "$example" \
  "$example/source1.avi" "$example/source2.mkv" "$example/source3.mp4"

echo
echo "Done: $example/ALL_source1.avi. The same merge in the window: $build/tools/velmora"
