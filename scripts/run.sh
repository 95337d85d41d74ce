#!/usr/bin/env bash
# Sets up, builds and starts Korvane on the bundled samples/ directory.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
source scripts/build_config.sh
configure_release -DKORVANE_WERROR=OFF
cmake --build build/release -j "$(nproc)"
build/release/tests/make-samples samples

if [ -x build/release/src/ui/korvane ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec build/release/src/ui/korvane "$PWD/samples"
fi
exec build/release/korvane-cli dir samples
