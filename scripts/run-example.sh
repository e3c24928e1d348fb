#!/usr/bin/env bash
# The main job on a built-in example: builds velmora-convert, prints the
# FFmpeg libraries it bound, and applies an example option list.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target velmora-convert

convert=build/tools/velmora-convert
"$convert" --version
echo "Applying an example option list:"
"$convert" -vcodec mpeg2video -b 2000000 -r 25 -s 720x576 -aspect 16:9 \
  -acodec mp2 -ab 224000 -ar 48000 -ac 2 -vfilters hflip,negate -an -f dvd
