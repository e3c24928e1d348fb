#!/usr/bin/env bash
# Draws the 38 pictures of the output format chooser again into ui/icons/
# (00.png to 37.png, 60 by 60 pixels), which the program embeds. Needs no
# display: Qt draws offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${VELMORA_BUILD:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target velmora-type-icons
QT_QPA_PLATFORM=offscreen "$build/ui/velmora-type-icons" ui/icons
echo "Wrote ui/icons/00.png to ui/icons/37.png"
