#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Shows the tray demo's icon in a real tray (trayer on Xvfb): the window
# minimises to the tray with a balloon, a screenshot is taken, and a double
# click on the icon must bring the window back.
# Usage: tray-check.sh TRAY_DEMO OUTPUT_DIR
set -euo pipefail

demo=$1
out=$2
for tool in Xvfb xdpyinfo trayer xdotool import; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 77; }
done
mkdir -p "$out"
log="$out/tray-demo.log"
: >"$log"

source "$(dirname "$0")/lib/rig.sh"
trap rig_stop_all EXIT

start_xvfb 640x480x24
# Keep Qt away from any session bus: the tray must be the X11 one.
export DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent"
export QT_QPA_PLATFORM=xcb

trayer --edge bottom --align right --widthtype request --height 24 --SetDockType false &
rig_track $!
"$demo" >"$log" 2>"$out/tray-demo.err" &
demo_pid=$!
rig_track "$demo_pid"

wait_for 'grep -q minimised "$log"' 100
tray=$(xdotool search --name "^panel$" | head -1)  # trayer's docking panel
eval "$(xdotool getwindowgeometry --shell "$tray")"
wait_for '! xdotool search --onlyvisible --name "^Halvoric$" >/dev/null' 20
sleep 0.5  # the balloon fades in
import -window root "$out/tray.png"

xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
xdotool click --repeat 2 --delay 80 1
wait_for 'grep -q restored "$log"' 50
wait_for 'xdotool search --onlyvisible --name "^Halvoric$" >/dev/null' 20
echo "tray check passed; screenshot in $out/tray.png"
