#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts halvoric-demo on the bundled scenario under a private Xvfb display
# with a window manager (openbox) and saves the framed main window as
# docs/screenshot.png (Debian xvfb, openbox, x11-utils, xdotool, imagemagick),
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
# No session bus: the picture shows the window, not a tray.
export DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent"
# Under a window manager, as on a desktop: the window with its frame.
openbox --sm-disable >/dev/null 2>&1 &
rig_track $!
wait_for 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' 50

# A private current directory, so the demo reads and writes its own config.xml.
(cd "$work" && QT_QPA_PLATFORM=xcb exec "$demo") &
rig_track $!
wait_for 'xdotool search --onlyvisible --name "^Halvoric\$" >/dev/null 2>&1' 100
sleep 2
window=$(xdotool search --onlyvisible --name '^Halvoric$' | head -1)
read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
field() { sed -n "s/.*$1: *//p" <<<"$geometry"; }
geometry=$(xwininfo -id "$window")
x=$(field "Absolute upper-left X") y=$(field "Absolute upper-left Y")
width=$(field Width) height=$(field Height)
import -window root \
  -crop "$((width + left + right))x$((height + top + bottom))+$((x - left))+$((y - top))" \
  +repage "$out"
echo "wrote $out"

# The temperature history window on a generated year, drawn offscreen.
QT_QPA_PLATFORM=offscreen "$PWD/$build/bench/history_plot_bench" \
  --history "$work/history.sqlite" --screenshot "$PWD/docs/history.png"
echo "wrote $PWD/docs/history.png"
