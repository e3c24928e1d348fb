#!/usr/bin/env bash
# Installs what the build needs, builds everything and runs the tests.
#   scripts/run-tests.sh              normal build in build/, every test
#   scripts/run-tests.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/, every test
#   scripts/run-tests.sh --thread     ThreadSanitizer build in build-tsan/, the libav, converter, engine and form model tests
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

build_dir=build
config=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=OFF -DVELMORA_SANITIZE_THREAD=OFF)
labels=()
case "${1:-}" in
  --sanitize)
    build_dir=build-asan
    config=(-DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_SANITIZE_THREAD=OFF)
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
    ;;
  --thread)
    build_dir=build-tsan
    config=(-DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=OFF -DVELMORA_SANITIZE_THREAD=ON)
    labels=(-L '^(libav|converter|engine|app|dialogs)$')
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan-suppressions.txt:${TSAN_OPTIONS:-}"
    ;;
  "") ;;
  *) echo "usage: $0 [--sanitize|--thread]" >&2; exit 2 ;;
esac

jobs=$(nproc)
cmake -S . -B "$build_dir" "${config[@]}"
cmake --build "$build_dir" -j"$jobs"
ctest --test-dir "$build_dir" --output-on-failure -j"$jobs" "${labels[@]}"
