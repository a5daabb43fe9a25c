#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program under Wayland: Weston's headless compositor with Qt's
# Wayland platform plugin, a StatusNotifierWatcher on a private session bus.
# The window opens (Weston's screenshot differs from the empty desktop's and
# is kept), the tray item registers, its menu holds "Show Main Window" and
# "Exit", and "Exit" ends the program cleanly with its settings saved. The
# headless compositor has no seat, so the menu is used over D-Bus as a
# panel does.
# Usage: wayland-check.sh HALVORIC_DEMO OUTPUT_DIR
set -euo pipefail

demo=$(realpath "$1")
out=$2
for tool in weston weston-screenshooter gdbus dbus-daemon compare; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 77; }
done
/usr/bin/python3 -c 'import dbusmock' 2>/dev/null || { echo "missing python3-dbusmock"; exit 77; }
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
  { echo "missing qt6-wayland"; exit 77; }
rm -rf "$out"
mkdir -p "$out/run" "$out/shots"
out=$(cd "$out" && pwd)
printf '<Tessivar/>' >"$out/run/config.xml"
log="$out/halvoric-demo.log"
menu() { /usr/bin/python3 "$(dirname "$0")/../tests/desktop/sni_menu.py" "$@"; }

source "$(dirname "$0")/lib/rig.sh"
source "$(dirname "$0")/lib/desktop.sh"
trap rig_stop_all EXIT

demo_ended() { [[ "$(ps -o stat= -p "$demo_pid" || true)" != [^Z]* ]]; }
# Weston's screenshooter writes wayland-screenshot-*.png into the current
# folder; it needs --debug and the pixman renderer.
screenshot() {
  (cd "$out/shots" && rm -f wayland-screenshot-*.png && WAYLAND_DISPLAY=$socket weston-screenshooter) &&
    mv "$out/shots"/wayland-screenshot-*.png "$1"
}

start_session "$out/session"
start_watcher "$out/watcher.log"
socket=halvoric-wayland
weston --backend=headless-backend.so --use-pixman --width=1280 --height=800 --socket=$socket \
  --no-config --debug >"$out/weston.log" 2>&1 &
rig_track $!
wait_for '[ -S "$XDG_RUNTIME_DIR/$socket" ]' 50
differing_pixels() { compare -metric AE "$1" "$2" null: 2>&1 | awk '{printf "%d", $1}' || true; }
# Weston fades its desktop in: the empty desktop is the first picture that
# stays the same.
desktop_settled() {
  screenshot "$out/before.png" && sleep 0.2 && screenshot "$out/desktop.png" &&
    [ "$(differing_pixels "$out/before.png" "$out/desktop.png")" -lt 1000 ]
}
wait_for desktop_settled 50

(cd "$out/run" && QT_LOGGING_RULES="halvoric.tray=true" QT_QPA_PLATFORM=wayland \
  WAYLAND_DISPLAY=$socket exec "$demo") >"$log" 2>&1 &
demo_pid=$!
rig_track "$demo_pid"
wait_for '[ -n "$(registered_item "$out/watcher.log")" ]' 100
item=$(registered_item "$out/watcher.log")
echo "item $item registered with the watcher"

# The window is up once the screen no longer looks like the empty desktop.
window_drawn() {
  screenshot "$out/window.png" &&
    [ "$(differing_pixels "$out/desktop.png" "$out/window.png")" -gt 50000 ]
}
wait_for window_drawn 50
echo "the window opened; screenshot in $out/window.png"

labels=$(menu "$item" | paste -sd,)
[ "$labels" = "Show Main Window,Exit" ] || { echo "FAIL: the item's menu holds $labels"; exit 1; }
printf '<Tessivar/>' >"$out/run/config.xml"
menu "$item" Exit
wait_for demo_ended 50
wait "$demo_pid"
grep -q "<AutoRun>0" "$out/run/config.xml"
echo "Exit in the item's menu saved config.xml and ended the program"
