#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one.
#   scripts/fuzz.sh smoke      a short run of every target (part of the tests)
#   scripts/fuzz.sh TARGET N   run one target for N seconds
set -euo pipefail
cd "$(dirname "$0")/.."

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVANE_FUZZ=ON -DKORVANE_TESTS=OFF -DKORVANE_GUI=OFF >/dev/null
cmake --build build/fuzz -j "$(nproc)"

mode=${1:-smoke}
if [ "$mode" = smoke ]; then
  for t in build/fuzz/fuzz/fuzz_*; do
    [ -x "$t" ] || continue
    echo "fuzz: $(basename "$t")"
    "$t" -max_total_time=15 -max_len=8192 -seed=1 2>&1 | tail -n 1
  done
else
  "build/fuzz/fuzz/$mode" -max_total_time="${2:-60}" -max_len=8192
fi
