#!/usr/bin/env bash
# Renders the README's pictures into docs/: the main window during a merge
# (three sources, the second at 40 %) in its built look and in three skins,
# the media information window for a generated H.264/AAC video, and a
# conversion's preview window. Needs no
# display: Qt draws offscreen, with the CJK font of the install script.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${VELMORA_BUILD:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target velmora-screenshot velmora_ui_tests
shoot() { QT_QPA_PLATFORM=offscreen "$build/tests/ui/velmora-screenshot" "$@"; }
shoot main docs/main-window.png
shoot main docs/skin-macos.png skin1
shoot main docs/skin-deeporange.png skin11
shoot main docs/skin-sportsblack.png skin15
shoot info docs/media-info.png skin18
QT_QPA_PLATFORM=offscreen VELMORA_PREVIEW_SCREENSHOT="$PWD/docs/preview-window.png" \
  "$build/tests/ui/velmora_ui_tests" --gtest_filter='PreviewWindow.*' >/dev/null
echo "Wrote docs/main-window.png, docs/skin-*.png, docs/media-info.png and docs/preview-window.png"
