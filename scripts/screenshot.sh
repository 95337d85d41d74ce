#!/usr/bin/env bash
# Renders the main window with both panes under a virtual X server and saves
# docs/screenshot.png: the left pane on the sample directory, the right pane
# inside the sample floppy image GAMES.dsk. From that pane it also opens the
# BASIC listing of the program GUESS (docs/screenshot-viewer.png) and the
# TI-Artist picture SUN_P (docs/screenshot-picture.png), and from the left
# pane the VIB window of GAMES.dsk (docs/screenshot-structure.png); last it
# reads the volume list of a CF7A+ card in a (file-backed) card reader into
# the right pane (docs/screenshot-card-volumes.png). Fails
# when the program does not start, does not end by itself or leaves a picture
# unwritten, so it doubles as a smoke test of the desktop program. A second run opens the
# help window, a viewer and the Configuration dialog and closes the main
# window: the program must end by itself and write its settings file.
# Usage: scripts/screenshot.sh [build-dir]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build/release}

bash scripts/setup.sh
if [ ! -f "$build/build.ninja" ]; then
  source scripts/build_config.sh
  configure_release
fi
cmake --build "$build" --target korvane korvane-cli make-samples -j "$(nproc)"
# Written afresh each time: the viewer pictures need the current samples.
"$build/tests/make-samples" samples

# Run in a scratch directory so that the settings file written at the end
# stays out of the checkout; the stored start paths give the two panes.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '[Korvane]\r\nleft=0\r\ntop=0\r\nwidth=1180\r\nheight=300\r\nsortby=0\r\nhdrsize=100 90 50 120 90 150\r\ndefault_path_left=%s\r\ndefault_path_right=%s\r\n[EDIT01]\r\nleft=0\r\ntop=0\r\nwidth=640\r\nheight=420\r\n' \
  "$root/samples" "$root/samples/GAMES.dsk" > "$work/Korvane.ini"

# A card in a card reader for the card picture: a file standing in for the
# drive, its volumes initialized and two sample images copied onto them by
# korvane-cli, GAMES mounted as DSK1 and EMPTY as DSK2; volume 5 stays
# unformatted.
card="$work/card.raw"
truncate -s $((5 * 1600 * 512)) "$card"
cli="$root/$build/korvane-cli"
(cd "$work" && export KORVANE_DRIVES="$card" ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0} &&
  for v in 1 2 3 4; do "$cli" cf7-init drive:A "$v" "SPARE$v" --yes > /dev/null; done &&
  "$cli" copy "$root/samples" drive:A GAMES.dsk --volume 1 > /dev/null &&
  "$cli" copy "$root/samples" drive:A EMPTY.dsk --volume 2 > /dev/null &&
  "$cli" cf7-mount drive:A 1 2 0 > /dev/null)

mkdir -p docs
rm -f "$work/shot.png" "$work/viewer.png" "$work/picture.png" "$work/structure.png" "$work/card.png"
(cd "$work" && KORVANE_SCREENSHOT="$work/shot.png" \
  KORVANE_SCREENSHOT_LISTING="GUESS:$work/viewer.png" KORVANE_SCREENSHOT_PICTURE="SUN_P:$work/picture.png" \
  KORVANE_SCREENSHOT_STRUCTURE="GAMES.dsk:$work/structure.png" \
  KORVANE_DRIVES="$card" KORVANE_SCREENSHOT_CARD="$work/card.png" \
  timeout 60 xvfb-run -a -s "-screen 0 1280x800x24" "$root/$build/src/ui/korvane")
for png in shot viewer picture structure card; do
  if [ ! -s "$work/$png.png" ]; then
    echo "screenshot.sh: no picture was written ($png.png)" >&2
    exit 1
  fi
done
grep -q "default_path_right=$root/samples/GAMES.dsk" "$work/Korvane.ini" || {
  echo "screenshot.sh: the settings file was not written back" >&2
  exit 1
}

# Exit check: with the help window, a viewer and the Configuration dialog
# open, the main window is closed. The program must end by itself (the
# timeout would kill it otherwise) and write its settings file.
check=$(mktemp -d)
trap 'rm -rf "$work" "$check"' EXIT
printf '[Korvane]\r\ndefault_path_left=%s\r\ndefault_path_right=%s\r\n' "$root/samples" "$root/samples" > "$check/Korvane.ini"
status=0
(cd "$check" && ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0} KORVANE_EXIT_CHECK=1 timeout 60 xvfb-run -a -s "-screen 0 1280x800x24" "$root/$build/src/ui/korvane") || status=$?
if [ "$status" -ne 0 ]; then
  echo "screenshot.sh: the program did not end by itself when its main window closed (status $status)" >&2
  exit 1
fi
grep -q "^fheight=" "$check/Korvane.ini" && grep -q "^\[EDIT16\]" "$check/Korvane.ini" || {
  echo "screenshot.sh: the exit check did not write the settings file" >&2
  exit 1
}

cp "$work/shot.png" docs/screenshot.png
cp "$work/viewer.png" docs/screenshot-viewer.png
cp "$work/picture.png" docs/screenshot-picture.png
cp "$work/structure.png" docs/screenshot-structure.png
cp "$work/card.png" docs/screenshot-card-volumes.png
echo "docs/screenshot.png, docs/screenshot-viewer.png, docs/screenshot-picture.png, docs/screenshot-structure.png and docs/screenshot-card-volumes.png written"
