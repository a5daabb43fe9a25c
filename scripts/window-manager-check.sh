#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program under a window manager (openbox on Xvfb): a start-up
# error box (config.xml with a bad Boolean) is the active window and no
# splash covers it; once answered, the main window opens decorated and
# centred on the screen; closing it ends the program.
# Usage: window-manager-check.sh HALVORIC_DEMO OUTPUT_DIR
set -euo pipefail

demo=$(realpath "$1")
out=$2
for tool in Xvfb xdpyinfo openbox xdotool xprop xwininfo import; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 77; }
done
rm -rf "$out"
mkdir -p "$out/run"
out=$(cd "$out" && pwd)
printf '<Tessivar><DiskStatus>maybe</DiskStatus></Tessivar>' >"$out/run/config.xml"

source "$(dirname "$0")/lib/rig.sh"
trap rig_stop_all EXIT

demo_ended() { [[ "$(ps -o stat= -p "$demo_pid" || true)" != [^Z]* ]]; }
active_is() {
  local window
  window=$(xdotool getactivewindow 2>/dev/null) || return 1
  xprop -id "$window" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q "$1"
}
# Our windows from the bottom of the stack to the top.
stacked() {
  local window
  for window in $(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g'); do
    xprop -id "$window" WM_CLASS | grep -q '"halvoric-demo"' || continue
    xwininfo -id "$window" | grep -q IsViewable || continue
    xprop -id "$window" _NET_WM_WINDOW_TYPE | sed 's/.*= //; s/,.*//'
  done
}
field() { sed -n "s/.*$1: *//p" <<<"$geometry"; }

start_xvfb 1280x800x24
export DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent"
export QT_QPA_PLATFORM=xcb
openbox --sm-disable >/dev/null 2>&1 &
rig_track $!
wait_for 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' 50

(cd "$out/run" && exec "$demo") >"$out/halvoric-demo.log" 2>&1 &
demo_pid=$!
rig_track "$demo_pid"
wait_for 'active_is _NET_WM_WINDOW_TYPE_DIALOG' 100
top=$(stacked | tail -1)
[ "$top" = _NET_WM_WINDOW_TYPE_DIALOG ] || { echo "FAIL: on top of the error box: $top"; exit 1; }
import -window root "$out/error-box.png"
echo "the start-up error box is the active window, with nothing of ours above it"

xdotool key Return
wait_for 'active_is _NET_WM_WINDOW_TYPE_NORMAL' 100
window=$(xdotool getactivewindow)
extents=$(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
read -r left right top bottom <<<"$extents"
[ "$top" -gt 0 ] || { echo "FAIL: the window has no title bar: $extents"; exit 1; }
# The framed window's middle is the screen's, give or take rounding: the
# window is centred again once the window manager has framed it.
centred() {
  geometry=$(xwininfo -id "$window")
  x=$(field "Absolute upper-left X") y=$(field "Absolute upper-left Y")
  width=$(field Width) height=$(field Height)
  dx=$((2 * (x - left) + width + left + right - 1280))
  dy=$((2 * (y - top) + height + top + bottom - 800))
  [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ]
}
if ! wait_for centred 50; then
  echo "FAIL: the window at ${x},${y} (${width}x${height}) is not centred"
  exit 1
fi
import -window root "$out/window.png"
echo "the main window is decorated ($extents) and centred (its middle off by $((dx / 2)),$((dy / 2)) px); screenshot in $out/window.png"

xdotool key alt+F4  # openbox closes the active window
wait_for demo_ended 50
wait "$demo_pid"
echo "closing the window ended the program"
