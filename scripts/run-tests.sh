#!/usr/bin/env bash
# Installs what the build needs, builds everything and runs every test.
#   scripts/run-tests.sh              normal build in build/
#   scripts/run-tests.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

build_dir=build
config=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=OFF)
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build-asan
  config=(-DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON)
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
fi

jobs=$(nproc)
cmake -S . -B "$build_dir" "${config[@]}"
cmake --build "$build_dir" -j"$jobs"
ctest --test-dir "$build_dir" --output-on-failure -j"$jobs"
