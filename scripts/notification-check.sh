#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program on a StatusNotifierItem desktop: a watcher on a private
# session bus, the notification server dunst and the window manager openbox
# under Xvfb, on the demo's four simulated drives. The item registers with
# the demo's WARN drive marked amber and a tooltip line per drive;
# minimising leaves one notification holding all four drives, with the
# warning sign for a drive above the critical temperature; its action,
# the item's Activate and the item's menu bring the window back; closing it
# and letting it expire raise the balloon's hide and time-out events
# (halvoric.tray diagnostics); "Exit" in the item's menu ends the program.
# Usage: notification-check.sh HALVORIC_DEMO OUTPUT_DIR
set -euo pipefail

demo=$(realpath "$1")
out=$2
for tool in Xvfb xdpyinfo openbox dunst dunstctl busctl gdbus dbus-daemon dbus-monitor xdotool import; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 77; }
done
/usr/bin/python3 -c 'import dbusmock' 2>/dev/null || { echo "missing python3-dbusmock"; exit 77; }
rm -rf "$out"
mkdir -p "$out/run"
out=$(cd "$out" && pwd)
# 40 degrees: the demo's second drive (41 and warming) is above it.
printf '<Tessivar><DiskStatus>-1</DiskStatus><Temp>40</Temp></Tessivar>' >"$out/run/config.xml"
log="$out/halvoric-demo.log"

source "$(dirname "$0")/lib/rig.sh"
source "$(dirname "$0")/lib/desktop.sh"
trap rig_stop_all EXIT

window_shown() { xdotool search --onlyvisible --name "^Halvoric$" >/dev/null; }
demo_ended() { [[ "$(ps -o stat= -p "$demo_pid" || true)" != [^Z]* ]]; }
said() { grep -c "halvoric.tray: $1\$" "$log" || true; }
# Minimises the window and waits for its status balloon: the report may
# replace the balloon as each drive's reading comes in, so it waits until no
# more replacements come.
minimise() {
  local before shown window
  before=$(said "balloon shown")
  window=$(xdotool search --onlyvisible --name "^Halvoric$" | head -1)
  # A window just brought back is minimised once the window manager has
  # made it the active one again.
  wait_for '[ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ]' 50
  # A request sent while the window manager is still raising the window
  # can be lost (seen under the sanitizers' slower start): ask again.
  for _ in 1 2 3; do
    xdotool windowminimize "$window"
    wait_for '! window_shown' 30 >/dev/null && break
  done
  wait_for '! window_shown' 10
  wait_for '[ "$(said "balloon shown")" -gt "$before" ]' 50
  shown=0
  until [ "$shown" = "$(said "balloon shown")" ]; do
    shown=$(said "balloon shown")
    sleep 0.5
  done
}
expect() {
  [ "$2" = "$3" ] || { echo "FAIL: $1: expected $3, got $2"; exit 1; }
}

start_xvfb 1280x800x24
start_session "$out/session"
openbox --sm-disable >/dev/null 2>&1 &
rig_track $!
start_watcher "$out/watcher.log"
start_dunst "$out/dunstrc"
dbus-monitor --session "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
  >"$out/notify.log" 2>&1 &
rig_track $!

(cd "$out/run" && QT_LOGGING_RULES="halvoric.tray=true" QT_QPA_PLATFORM=xcb exec "$demo") \
  >"$log" 2>&1 &
demo_pid=$!
rig_track "$demo_pid"
wait_for window_shown 100
wait_for '[ -n "$(registered_item "$out/watcher.log")" ]' 50
item=$(registered_item "$out/watcher.log")
grep -q "balloons through the notification server" "$log"
echo "item $item registered with the watcher"
look=$(/usr/bin/python3 "$(dirname "$0")/../tests/desktop/sni_look.py" "$item")
expect "the tooltip's first line" "$(head -1 <<<"$look")" "Halvoric"
grep -q "^Drive 2: .*, WARN$" <<<"$look" || { echo "FAIL: no WARN line for drive 2 in: $look"; exit 1; }
expect "the icon's mark" "$(tail -1 <<<"$look")" "amber"
echo "the item's tooltip names each drive and its icon carries the amber mark"

minimise
expect "notifications shown" "$(dunstctl count displayed)" 1
expect "notifications closed" "$(dunstctl count history)" 0
# dunst shows its notifications at the screen's upper right corner.
import -window root -crop 340x175+938+42 +repage -define png:exclude-chunks=date,time \
  "$out/notification.png"
grep -q 'string "dialog-warning"' "$out/notify.log" ||
  { echo "FAIL: the balloon of a drive above the critical temperature has no warning sign"; exit 1; }
echo "the notification carries the warning sign"
dunstctl close
wait_for '[ "$(said "balloon hidden")" = 1 ]' 50
history=$(dunstctl history)
for model in "Demo SSD 500GB" "Demo HDD 2TB" "Demo Archive 4TB" "Demo DVD-RW"; do
  grep -q "$model" <<<"$history" || { echo "FAIL: $model missing from: $history"; exit 1; }
done
expect "notifications closed" "$(dunstctl count history)" 1
window_shown && { echo "FAIL: closing the notification brought the window back"; exit 1; }
echo "one minimise left one notification with the four drives; closing it was the hide event"

gdbus call --session --dest "$item" --object-path /StatusNotifierItem \
  --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null
wait_for window_shown 50
echo "the item's Activate brought the window back"

minimise
dunstctl action 0
wait_for window_shown 50
expect "clicks" "$(said "balloon clicked")" 1
echo "the notification's action brought the window back"

minimise
wait_for '[ "$(said "balloon timed out")" = 1 ]' 150
expect "hides" "$(said "balloon hidden")" 1
echo "the notification expired: the time-out event"

# The item's menu opens at the pointer; the call returns once it closes.
open_menu() {
  gdbus call --session --timeout 10 --dest "$item" --object-path /StatusNotifierItem \
    --method org.kde.StatusNotifierItem.ContextMenu 600 400 >/dev/null 2>&1 &
  rig_track $!
  sleep 0.5
}
labels=$(/usr/bin/python3 "$(dirname "$0")/../tests/desktop/sni_menu.py" "$item" | paste -sd,)
[ "$labels" = "Show Main Window,Exit" ] || { echo "FAIL: the item's menu holds $labels"; exit 1; }
open_menu
xdotool key Down Return  # the first item
wait_for window_shown 50
echo "Show Main Window in the item's menu brought the window back"

printf '<Tessivar/>' >"$out/run/config.xml"
minimise
open_menu
xdotool key Up Return  # the last item
wait_for demo_ended 50
wait "$demo_pid"
grep -q "<DiskStatus>-1" "$out/run/config.xml"
echo "Exit in the item's menu saved config.xml and ended the program"
