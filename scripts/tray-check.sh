#!/usr/bin/env bash
# Shows the tray demo's icon in a real tray (trayer on Xvfb): the window
# minimises to the tray with a balloon, a screenshot is taken, and a double
# click on the icon must bring the window back.
# Usage: tray-check.sh TRAY_DEMO OUTPUT_DIR
set -euo pipefail

demo=$1
out=$2
for tool in Xvfb trayer xdotool import; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 77; }
done
mkdir -p "$out"
log="$out/tray-demo.log"
: >"$log"

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# Waits up to $2 tenths of a second for `$1` to succeed.
wait_for() {
  for _ in $(seq "$2"); do
    eval "$1" && return 0
    sleep 0.1
  done
  echo "timed out waiting for: $1"
  return 1
}

exec 3< <(Xvfb -displayfd 1 -screen 0 640x480x24 -nolisten tcp 2>/dev/null)
pids+=($!)
read -r -t 10 number <&3
export DISPLAY=":$number"
# Keep Qt away from any session bus: the tray must be the X11 one.
export DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent"
export QT_QPA_PLATFORM=xcb

trayer --edge bottom --align right --widthtype request --height 24 --SetDockType false &
pids+=($!)
"$demo" >"$log" 2>"$out/tray-demo.err" &
demo_pid=$!
pids+=("$demo_pid")

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
