#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whether many drives cost as little as four: halvoric-demo on 4, 64 and 200
# simulated desktop drives under a private Xvfb display, started in turn
# run after run so that a busy spell of the machine falls on all alike.
# Measures from process start until the window "Halvoric" is mapped, then
# the resident memory after a short idle, then runs watch_stall_bench (a
# tick's work on the window's thread, the longest stall, the history's
# thread) over the same counts. Prints the figures and the goals; exits 1
# when a goal is missed. Needs xvfb and xdotool.
# Usage: bench/scale_compare.sh [build directory, default build] [runs, default 7]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-7}
demo=$PWD/$build/bin/halvoric-demo
stall=$PWD/$build/bench/watch_stall_bench
counts=(4 64 200)
idle_seconds=3

source scripts/lib/rig.sh
source scripts/lib/desktop.sh
work=$(mktemp -d)
demo_pid=
trap '[ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null || true; rig_stop_all; rm -rf "$work"' EXIT
start_bench_desktop "$work"

# Desktop drives with the attributes a real table holds, each its own serial.
scenario() {
  local n
  for n in $(seq 0 $(($1 - 1))); do
    printf '[drive %d]\nmodel = Scale Disk %d\nserial = S%d\n' "$n" "$n" "$n"
    printf 'attribute = 1 value=200 worst=200 threshold=51\n'
    printf 'attribute = 5 value=200 worst=200 threshold=140\n'
    printf 'attribute = 9 value=90 worst=90 raw=8000\n'
    printf 'attribute = 12 value=100 worst=100 raw=900\n'
    printf 'attribute = 194 flags=0x0022 value=66 worst=52 raw=%d\n' $((30 + n % 10))
    printf 'attribute = 197 value=200 worst=200\nattribute = 198 value=200 worst=200\n\n'
  done
}
for count in "${counts[@]}"; do scenario "$count" >"$work/$count.scenario"; done

# Milliseconds from start until the window is shown, for $1 drives; the
# program is left running with its PID in $demo_pid.
startup() {
  local start shown
  start=$(date +%s%N)
  (cd "$work" && QT_QPA_PLATFORM=xcb exec "$demo" "$work/$1.scenario" 2>/dev/null) &
  demo_pid=$!
  wait_for_window Halvoric "$demo_pid"
  shown=$(date +%s%N)
  elapsed=$(((shown - start) / 1000000))
}

stop() {
  kill -TERM "$demo_pid"
  wait "$demo_pid" 2>/dev/null || true
  demo_pid=
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

declare -A times rss
for run in $(seq "$runs"); do
  for count in "${counts[@]}"; do
    startup "$count"
    times[$count]+="$elapsed "
    if [ "$run" -eq "$runs" ]; then
      sleep "$idle_seconds"
      rss[$count]=$(awk '/^VmRSS/ {print $2}' "/proc/$demo_pid/status")
    fi
    stop
  done
done

declare -A start
for count in "${counts[@]}"; do
  # shellcheck disable=SC2086
  start[$count]=$(median ${times[$count]})
  printf '%3d drives: start-up to window median %d ms (runs: %s), resident after %d s %d KiB\n' \
    "$count" "${start[$count]}" "${times[$count]% }" "$idle_seconds" "${rss[$count]}"
done

status=0
check() {
  if eval "$2"; then echo "  met:    $1"; else echo "  missed: $1"; status=1; fi
}
per_drive=$(((rss[200] - rss[4]) / 196))
echo "goals:"
check "start-up at 64 drives ${start[64]} ms <= 1.5 x at 4 drives ${start[4]} ms" \
  "[ $((start[64] * 10)) -le $((start[4] * 15)) ]"
check "resident memory per extra drive (4 to 200) ${per_drive} KiB <= 64 KiB" \
  "[ $per_drive -le 64 ]"
echo
"$stall" || status=1
exit $status
