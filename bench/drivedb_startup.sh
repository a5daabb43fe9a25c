#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the drive database costs at start-up: runs halvoric-demo on the four
# drives of scenarios/demo.scenario under a private Xvfb display, in turn
# without the database (HALVORIC_DRIVEDB set empty), with the installed one
# as every start but the first meets it (the entries kept for the drives,
# drivedb-kept.h), and with the whole files read, as at a first start or
# after an update (the kept file removed before). Measures from process
# start until the window "Halvoric" is mapped; the kinds of start alternate,
# so that a busy spell of the machine falls on all alike. Prints the medians
# and what the database adds; exits 1 when the usual start with it takes 5 %
# or more longer than without.
# Needs xvfb, xdotool and smartmontools' drivedb.h.
# Usage: bench/drivedb_startup.sh [build directory, default build] [runs, default 15]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-15}
demo=$PWD/$build/bin/halvoric-demo
scenario=$PWD/scenarios/demo.scenario

source scripts/lib/rig.sh
source scripts/lib/desktop.sh
work=$(mktemp -d)
demo_pid=
trap '[ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null || true; rig_stop_all; rm -rf "$work"' EXIT
start_bench_desktop "$work"

# Milliseconds from start until the window is shown; $1 is the database setting.
startup() {
  local start shown
  start=$(date +%s%N)
  if [ "$1" = whole ]; then rm -f "$work/drivedb-kept.h"; fi
  if [ "$1" = off ]; then
    (cd "$work" && HALVORIC_DRIVEDB= QT_QPA_PLATFORM=xcb exec "$demo" "$scenario" 2>/dev/null) &
  else
    (cd "$work" && unset HALVORIC_DRIVEDB && QT_QPA_PLATFORM=xcb exec "$demo" "$scenario" \
      2>/dev/null) &
  fi
  demo_pid=$!
  wait_for_window Halvoric "$demo_pid" || exit 1
  shown=$(date +%s%N)
  kill -TERM "$demo_pid"
  wait "$demo_pid" 2>/dev/null || true
  demo_pid=
  echo "$(((shown - start) / 1000000))"
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

without=()
with=()
whole=()
startup whole >/dev/null  # keeps the entries for the first "with"
for _ in $(seq "$runs"); do
  without+=("$(startup off)")
  with+=("$(startup on)")
  whole+=("$(startup whole)")
done
a=$(median "${without[@]}")
b=$(median "${with[@]}")
c=$(median "${whole[@]}")
echo "start-up to window shown without the drive database:   median $a ms (runs: ${without[*]})"
echo "start-up to window shown with the kept entries:        median $b ms (runs: ${with[*]})"
echo "start-up to window shown with the whole database read: median $c ms (runs: ${whole[*]})"
awk -v a="$a" -v b="$b" -v c="$c" 'BEGIN {
  printf "the database adds %.1f %% to the start-up (%.1f %% when the whole files are read)\n",
    (b - a) * 100 / a, (c - a) * 100 / a
  exit (b - a) * 100 / a >= 5
}'
