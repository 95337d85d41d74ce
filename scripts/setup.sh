#!/usr/bin/env bash
# Installs every Debian package Korvane needs to build, run and test.
# Does nothing when they are all present.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config    # toolchain
  libfmt-dev                          # printf-style formatting in the core
  libgtest-dev googletest             # core tests
  libbenchmark-dev                    # bench/
  libpng-dev                          # PNG output of pictures
  qt6-base-dev qt6-base-dev-tools libgl-dev   # the desktop program (Widgets, Print Support, Test)
  xvfb xauth                          # screenshots of the desktop program
  poppler-utils                       # pdftotext: the print tests read back the PDF they print
  clang libclang-rt-14-dev            # libFuzzer targets
  mame-tools                          # imgtool: an independent reader of the images we write
  ccache                              # shared compiler cache for the test configurations
  nlohmann-json3-dev nettle-dev       # tests: other tools' JSON catalogs and their SHA-256 sums
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
