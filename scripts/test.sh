#!/usr/bin/env bash
# Sets up, builds and runs every test, in two configurations:
#   1. the optimised build that scripts/run.sh ships (RelWithDebInfo), so
#      that a fault only the optimiser exposes cannot hide behind a green
#      sanitizer run;
#   2. a Debug build with AddressSanitizer, UBSan and the standard library's
#      bounds checks.
# Both treat compiler warnings as errors. Then a short run of each fuzz
# target when clang is present.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
source scripts/build_config.sh

JOBS=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1

echo "== optimised build (as shipped)"
configure_release -DKORVANE_WERROR=ON
cmake --build build/release -j "$JOBS"
ctest --test-dir build/release --output-on-failure -j "$JOBS"

echo "== Debug build with sanitizers"
configure_asan -DKORVANE_WERROR=ON
cmake --build build/debug-asan -j "$JOBS"
ctest --test-dir build/debug-asan --output-on-failure -j "$JOBS"

if command -v clang++ >/dev/null 2>&1; then
  bash scripts/fuzz.sh smoke
fi
