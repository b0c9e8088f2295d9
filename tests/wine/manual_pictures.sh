#!/usr/bin/env bash
# Takes the manual's pictures again, into docs/manual/pictures/:
#   kestrel.png  Kestrel's window after playing the sample, cut out of screenshot.sh's
#                picture of Kestrel beside loggersim
#
#   tests/wine/manual_pictures.sh BUILD_DIR      (BUILD_DIR: build/windows)
set -euo pipefail
build=${1:?build directory}
here=$(cd "$(dirname "$0")" && pwd)
pictures=$here/../../docs/manual/pictures
mkdir -p "$pictures"
full=$(mktemp --suffix=.png)
trap 'rm -f "$full"' EXIT
bash "$here/screenshot.sh" "$build" "$full"
# screenshot.sh puts Kestrel's window at 660,40 of the desktop; it is 192 pixels wide and
# 186 high at the default width of the spectrum strip.
convert "$full" -crop 194x188+659+39 +repage "$pictures/kestrel.png"
echo "wrote $pictures/kestrel.png"
