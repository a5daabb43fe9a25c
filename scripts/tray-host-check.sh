#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The tray host coming and going while the real program runs, on both roads
# to a tray: trayer (XEmbed) started after the program, ended and started
# again; a StatusNotifierWatcher ended and started again. Each time the icon
# must come back by itself, told by events rather than found by polling.
# Usage: tray-host-check.sh HALVORIC_DEMO OUTPUT_DIR
set -euo pipefail

demo=$(realpath "$1")
out=$2
for tool in Xvfb xdpyinfo trayer xdotool xwininfo gdbus dbus-daemon; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 77; }
done
/usr/bin/python3 -c 'import dbusmock' 2>/dev/null || { echo "missing python3-dbusmock"; exit 77; }
rm -rf "$out"
mkdir -p "$out/run"
out=$(cd "$out" && pwd)
printf '<Tessivar/>' >"$out/run/config.xml"

source "$(dirname "$0")/lib/rig.sh"
source "$(dirname "$0")/lib/desktop.sh"
trap rig_stop_all EXIT

said() { grep -c "halvoric.tray: $1" "$log" || true; }
start_demo() {
  log=$1
  (cd "$out/run" && QT_LOGGING_RULES="halvoric.tray=true" QT_QPA_PLATFORM=xcb exec "$demo") \
    >"$log" 2>&1 &
  demo_pid=$!
  rig_track "$demo_pid"
  wait_for 'xdotool search --onlyvisible --name "^Halvoric$" >/dev/null' 100
}
start_trayer() {
  trayer --edge bottom --align right --widthtype request --height 24 --SetDockType false &
  trayer_pid=$!
  rig_track "$trayer_pid"
  wait_for 'xdotool search --name "^panel$" >/dev/null' 50
  tray=$(xdotool search --name "^panel$" | head -1)
}
icon_docked() { [ "$(xwininfo -children -id "$tray" | grep -c '^ *0x')" -gt 0 ]; }

start_xvfb 800x600x24

# XEmbed: no session bus, so Qt takes the X11 tray.
DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent" start_demo "$out/xembed.log"
grep -q "no tray host yet" "$log"
start_trayer
wait_for icon_docked 50
wait_for '[ "$(said "tray host appeared")" = 1 ]' 50
echo "XEmbed: the icon docked in a tray started after the program"
kill "$trayer_pid"
wait "$trayer_pid" || true
wait_for '[ "$(said "tray host gone")" = 1 ]' 50
start_trayer
wait_for icon_docked 50
wait_for '[ "$(said "tray host appeared")" = 2 ]' 50
echo "XEmbed: the icon came back into a restarted tray"
kill "$demo_pid" "$trayer_pid"
wait "$demo_pid" "$trayer_pid" || true

# StatusNotifierItem: the watcher ends and a new one starts.
start_session "$out/session"
start_watcher "$out/watcher-1.log"
start_demo "$out/sni.log"
wait_for '[ -n "$(registered_item "$out/watcher-1.log")" ]' 50
kill "$watcher_pid"
wait "$watcher_pid" || true
wait_for '[ "$(said "tray host gone")" = 1 ]' 50
start_watcher "$out/watcher-2.log"
wait_for '[ -n "$(registered_item "$out/watcher-2.log")" ]' 50
grep -q "tray host appeared" "$log"
echo "StatusNotifierItem: the item registered again with a new watcher"
