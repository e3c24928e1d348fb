#!/usr/bin/env bash
# The main job on a built-in example: two short MPEG program streams are
# generated on the spot, joined by stream copy into one file, and that file
# is copied into Matroska. The results go to out/example/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B "${VELMORA_BUILD:-build}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "${VELMORA_BUILD:-build}" -j"$(nproc)" --target velmora-convert

convert=${VELMORA_BUILD:-build}/tools/velmora-convert
"$convert" --version

example=out/example
mkdir -p "$example"
echo "Making two example sources in $example/ ..."
for part in 1 2; do
  ffmpeg -hide_banner -nostdin -loglevel error -y \
    -f lavfi -i "testsrc2=size=640x360:rate=25:duration=$((part + 2))" \
    -f lavfi -i "sine=frequency=$((330 * part)):duration=$((part + 2))" \
    -c:v mpeg2video -b:v 2M -c:a mp2 -shortest -f mpeg "$example/source$part.mpg"
done

echo "Joining them by stream copy:"
"$convert" -v 0 -i "$example/source1.mpg" -i "$example/source2.mpg" \
  -vcodec copy -acodec copy -join "$example/joined.mpg"
echo "Copying the joined file into Matroska:"
"$convert" -v 0 -i "$example/joined.mpg" -vcodec copy -acodec copy "$example/joined.mkv"

echo
echo "Done. The joined file is $example/joined.mpg (and $example/joined.mkv)."
