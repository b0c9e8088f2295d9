#!/usr/bin/env bash
# Takes the manual's pictures again, into docs/manual/pictures/:
#   window.png   Kestrel beside loggersim after playing the sample (screenshot.sh)
#   kestrel.png  Kestrel's own window, cut out of it
#
#   tests/wine/manual_pictures.sh BUILD_DIR      (BUILD_DIR: build/windows)
set -euo pipefail
build=${1:?build directory}
here=$(cd "$(dirname "$0")" && pwd)
pictures=$here/../../docs/manual/pictures
mkdir -p "$pictures"
bash "$here/screenshot.sh" "$build" "$pictures/window.png"
# screenshot.sh puts Kestrel's window at 660,40 of the desktop; it is about 190 pixels
# square at the default width of the spectrum strip.
convert "$pictures/window.png" -crop 200x200+658+38 +repage "$pictures/kestrel.png"
echo "wrote $pictures/window.png $pictures/kestrel.png"
