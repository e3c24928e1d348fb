#!/usr/bin/env bash
# Renders the README's pictures into docs/: the main window during a merge
# (three sources, the second at 40 %) in its built look and in three skins,
# and the media information window for a generated H.264/AAC video. Needs no
# display: Qt draws offscreen, with the CJK font of the install script.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${VELMORA_BUILD:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target velmora-screenshot
shoot() { QT_QPA_PLATFORM=offscreen "$build/tests/ui/velmora-screenshot" "$@"; }
shoot main docs/main-window.png
shoot main docs/skin-macos.png skin1
shoot main docs/skin-deeporange.png skin11
shoot main docs/skin-sportsblack.png skin15
shoot info docs/media-info.png skin18
echo "Wrote docs/main-window.png, docs/skin-*.png and docs/media-info.png"
