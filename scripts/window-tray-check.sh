#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program in a real tray (trayer on Xvfb), on the demo's simulated
# drives: the icon docks with the amber mark of the demo's WARN drive,
# minimising hides the window to the tray with the drive status balloon
# (screenshot; its warning sign for a drive above the critical temperature), a single click on the icon leaves it
# there, a double click brings the window back, "Exit" in the tray menu saves
# config.xml and ends it, and so does SIGTERM while it is in the tray.
# Usage: window-tray-check.sh HALVORIC_DEMO OUTPUT_DIR
set -euo pipefail

demo=$1
out=$2
for tool in Xvfb xdpyinfo trayer xdotool xwininfo import; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 77; }
done
rm -rf "$out"
mkdir -p "$out/run"
# The status balloon is the "Show disk status in the system tray" setting;
# at 40 degrees the demo's second drive (41 and warming) is above the
# critical temperature.
printf '<Tessivar><DiskStatus>-1</DiskStatus><Temp>40</Temp></Tessivar>' >"$out/run/config.xml"

source "$(dirname "$0")/lib/rig.sh"
trap rig_stop_all EXIT

window_shown() { xdotool search --onlyvisible --name "^Halvoric$" >/dev/null; }
icon_docked() { [ "$(xwininfo -children -id "$tray" | grep -c '^ *0x')" -gt 0 ]; }
# Pixels of the tray in the mark's amber, whatever the smoothing did to it.
amber_pixels() {
  import -window "$tray" -depth 8 txt:- |
    sed -n 's/^[0-9]*,[0-9]*: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p' |
    awk '$1 >= 200 && $2 > 120 && $2 < 200 && $3 < 80 { n++ } END { print n + 0 }'
}
# An ended child stays a zombie until it is waited for.
demo_ended() { [[ "$(ps -o stat= -p "$demo_pid" || true)" != [^Z]* ]]; }

# Without a window manager nobody iconifies a window, so this does what one
# would: mark the window iconic (ICCCM WM_STATE), which Qt reads as minimised.
iconify() {
  /usr/bin/python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                              ctypes.c_int, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
display = x.XOpenDisplay(None)
wm_state = x.XInternAtom(display, b"WM_STATE", 0)
iconic = (ctypes.c_long * 2)(3, 0)  # IconicState, no icon window
x.XChangeProperty(display, int(sys.argv[1]), wm_state, wm_state, 32, 0, iconic, 2)
x.XCloseDisplay(display)
PY
}

start_xvfb 800x600x24
# Keep Qt away from any session bus: the tray must be the X11 one.
export DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent"
export QT_QPA_PLATFORM=xcb

trayer --edge bottom --align right --widthtype request --height 24 --SetDockType false &
rig_track $!
wait_for 'xdotool search --name "^panel$" >/dev/null' 50
tray=$(xdotool search --name "^panel$" | head -1)  # trayer's docking panel

(cd "$out/run" && exec "$demo") >"$out/halvoric-demo.log" 2>&1 &
demo_pid=$!
rig_track "$demo_pid"

wait_for window_shown 100
wait_for icon_docked 50
wait_for '[ "$(amber_pixels)" -ge 4 ]' 50
echo "icon in the tray, with the amber mark of a drive reading WARN"

iconify "$(xdotool search --onlyvisible --name "^Halvoric$" | head -1)"
wait_for '! window_shown' 50
kill -0 "$demo_pid"
echo "hidden to the tray, still running"
sleep 0.5  # the balloon fades in
# The screen's lower right corner: the icon and its balloon.
import -window root -crop 320x240+480+360 +repage -define png:exclude-chunks=date,time \
  "$out/tray.png"

eval "$(xdotool getwindowgeometry --shell "$tray")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
# While the balloon is up, Qt reports a press on the icon as a balloon click
# too; a single click on the icon must still do nothing.
xdotool click 1
sleep 1
if window_shown; then
  echo "FAIL: a single click on the icon under its balloon brought the window back"
  exit 1
fi
echo "a single click on the icon left the window in the tray"
xdotool click --repeat 2 --delay 80 1
wait_for window_shown 50
echo "double click brought the window back"

printf '<Tessivar/>' >"$out/run/config.xml"
xdotool click 3
sleep 0.3  # the menu opens at the pointer
xdotool key Up Return
wait_for demo_ended 50
wait "$demo_pid"
grep -q "<DiskStatus>-1" "$out/run/config.xml"
echo "Exit saved config.xml and ended the program; screenshot in $out/tray.png"

# Logging out or shutting down ends a program hidden in the tray with
# SIGTERM: it ends in order and keeps its settings.
printf '<Tessivar/>' >"$out/run/config.xml"
(cd "$out/run" && exec "$demo") >>"$out/halvoric-demo.log" 2>&1 &
demo_pid=$!
rig_track "$demo_pid"
wait_for window_shown 100
iconify "$(xdotool search --onlyvisible --name "^Halvoric$" | head -1)"
wait_for '! window_shown' 50
kill -TERM "$demo_pid"
wait_for demo_ended 50
wait "$demo_pid"
grep -q "<AutoRun>0" "$out/run/config.xml"
echo "SIGTERM while in the tray saved config.xml and ended the program"
