#!/usr/bin/env bash
# Starts halvoric-demo on the bundled scenario under a private Xvfb display
# and saves the main window as docs/screenshot.png (Debian xvfb, imagemagick).
# Usage: scripts/screenshot.sh [build directory, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=$PWD/docs/screenshot.png
demo=$PWD/$build/bin/halvoric-demo

work=$(mktemp -d)
display=:$((100 + RANDOM % 800))
Xvfb "$display" -screen 0 800x640x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
demo_pid=
cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done

# A private current directory, so the demo reads and writes its own config.xml.
(cd "$work" && DISPLAY=$display QT_QPA_PLATFORM=xcb exec "$demo") &
demo_pid=$!
sleep 3
# Without a window manager the window sits undecorated, centred on the screen:
# 541 x 525 in the middle of 800 x 640.
DISPLAY=$display import -window root -crop 541x525+129+57 +repage "$out"
echo "wrote $out"
