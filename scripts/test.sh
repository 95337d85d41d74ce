#!/usr/bin/env bash
# Sets up, builds and runs every test: a Debug build with AddressSanitizer and
# UBSan (core, command-line tool, GUI tests on the offscreen platform), then a
# short run of each fuzz target when clang is present.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

JOBS=$(nproc)
cmake -S . -B build/debug-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON >/dev/null
cmake --build build/debug-asan -j "$JOBS"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir build/debug-asan --output-on-failure -j "$JOBS"

if command -v clang++ >/dev/null 2>&1; then
  bash scripts/fuzz.sh smoke
fi
