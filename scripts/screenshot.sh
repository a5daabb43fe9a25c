#!/usr/bin/env bash
# Starts halvoric-demo on the bundled scenario under a private Xvfb display
# and saves the main window as docs/screenshot.png (Debian xvfb, imagemagick),
# then the temperature history window as docs/history.png.
# Usage: scripts/screenshot.sh [build directory, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=$PWD/docs/screenshot.png
demo=$PWD/$build/bin/halvoric-demo

source scripts/lib/rig.sh
work=$(mktemp -d)
trap 'rig_stop_all; rm -rf "$work"' EXIT
start_xvfb 800x640x24

# A private current directory, so the demo reads and writes its own config.xml.
(cd "$work" && QT_QPA_PLATFORM=xcb exec "$demo") &
rig_track $!
sleep 3
# Without a window manager the window sits undecorated, centred on the screen:
# 541 x 525 in the middle of 800 x 640.
import -window root -crop 541x525+129+57 +repage "$out"
echo "wrote $out"

# The temperature history window on a generated year, drawn offscreen.
QT_QPA_PLATFORM=offscreen "$PWD/$build/bench/history_plot_bench" \
  --history "$work/history.sqlite" --screenshot "$PWD/docs/history.png"
echo "wrote $PWD/docs/history.png"
