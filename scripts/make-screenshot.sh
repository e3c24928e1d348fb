#!/usr/bin/env bash
# Renders the main window with three listed sources, one of them at 40 %,
# into docs/main-window.png, and the two windows of the advanced-options
# wizard into docs/format-chooser.png and docs/advanced-options.png. Needs no
# display: Qt draws offscreen, with the CJK font of the install script.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${VELMORA_BUILD:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target velmora-screenshot velmora-wizard-screenshots
QT_QPA_PLATFORM=offscreen "$build/tests/ui/velmora-screenshot" docs/main-window.png
QT_QPA_PLATFORM=offscreen "$build/tests/ui/velmora-wizard-screenshots" docs/format-chooser.png \
  docs/advanced-options.png
echo "Wrote docs/main-window.png, docs/format-chooser.png and docs/advanced-options.png"
