#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up time and idle memory of the main window: runs halvoric-demo on the
# four drives of scenarios/demo.scenario under a private Xvfb display,
# measures from process start until the window "Halvoric" is mapped, then lets
# it idle and reads its resident memory. Needs xvfb, xdotool and /usr/bin/time.
# Usage: bench/gui_startup.sh [build directory, default build] [runs, default 5]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
demo=$PWD/$build/bin/halvoric-demo
scenario=$PWD/scenarios/demo.scenario
idle_seconds=3

source scripts/lib/rig.sh
source scripts/lib/desktop.sh
work=$(mktemp -d)
demo_pid=
trap '[ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null || true; rig_stop_all; rm -rf "$work"' EXIT
start_bench_desktop "$work"

startups=()
for run in $(seq "$runs"); do
  start=$(date +%s%N)
  (cd "$work" && QT_QPA_PLATFORM=xcb \
    exec /usr/bin/time -f '%M' -o "$work/maxrss" "$demo" "$scenario" 2>/dev/null) &
  demo_pid=$!
  wait_for_window Halvoric "$demo_pid"
  shown=$(date +%s%N)
  startups+=($(((shown - start) / 1000000)))
  # $demo_pid is /usr/bin/time; the program is its only child.
  program=$(pgrep -P "$demo_pid")
  if [ "$run" -eq "$runs" ]; then
    sleep "$idle_seconds"
    idle_rss=$(awk '/^VmRSS/ {print $2}' "/proc/$program/status")
  fi
  kill -TERM "$program"
  wait "$demo_pid" 2>/dev/null || true
  demo_pid=
done

sorted=($(printf '%s\n' "${startups[@]}" | sort -n))
echo "start-up to window shown, 4 simulated drives: median ${sorted[$((runs / 2))]} ms" \
  "(runs: ${startups[*]} ms)"
echo "resident memory after ${idle_seconds} s idle: $((idle_rss / 1024)) MiB" \
  "(peak $(($(tail -1 "$work/maxrss") / 1024)) MiB)"
