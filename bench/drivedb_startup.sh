#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the drive database costs at start-up: runs halvoric-demo on the four
# drives of scenarios/demo.scenario under a private Xvfb display, alternately
# without the database (HALVORIC_DRIVEDB set empty) and with the installed
# one, and measures from process start until the window "Halvoric" is
# mapped, and the CPU time all its threads took until then (what a busy
# machine's waits for a core do not swell). Prints both medians of each and
# their ratios; exits 1 when the database adds 5 % or more to the start-up.
# Needs xvfb, xdotool and smartmontools' drivedb.h.
# Usage: bench/drivedb_startup.sh [build directory, default build] [runs, default 7]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-7}
demo=$PWD/$build/bin/halvoric-demo
scenario=$PWD/scenarios/demo.scenario

source scripts/lib/rig.sh
work=$(mktemp -d)
demo_pid=
trap '[ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null; rig_stop_all; rm -rf "$work"' EXIT
start_xvfb 1024x768x24
# A desktop session has its bus; without one, each start would launch a bus
# of its own for its first D-Bus call, which no user's start-up pays.
source scripts/lib/desktop.sh
start_session "$work/session"

# "MS CPU": milliseconds from start until the window is shown, and the CPU
# milliseconds of all threads until then; $1 is the database setting.
startup() {
  local start shown
  start=$(date +%s%N)
  if [ "$1" = off ]; then
    (cd "$work" && HALVORIC_DRIVEDB= QT_QPA_PLATFORM=xcb exec "$demo" "$scenario" 2>/dev/null) &
  else
    (cd "$work" && unset HALVORIC_DRIVEDB && QT_QPA_PLATFORM=xcb exec "$demo" "$scenario" \
      2>/dev/null) &
  fi
  demo_pid=$!
  until xdotool search --onlyvisible --name '^Halvoric$' >/dev/null 2>&1; do
    sleep 0.005
  done
  shown=$(date +%s%N)
  local cpu
  cpu=$(cat /proc/"$demo_pid"/task/*/schedstat | awk '{s += $1} END {printf "%.1f", s / 1e6}')
  kill -TERM "$demo_pid"
  wait "$demo_pid" 2>/dev/null || true
  demo_pid=
  echo "$(((shown - start) / 1000000)) $cpu"
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

without=()
with=()
without_cpu=()
with_cpu=()
for _ in $(seq "$runs"); do
  read -r ms cpu < <(startup off)
  without+=("$ms")
  without_cpu+=("$cpu")
  read -r ms cpu < <(startup on)
  with+=("$ms")
  with_cpu+=("$cpu")
done
a=$(median "${without[@]}")
b=$(median "${with[@]}")
ac=$(median "${without_cpu[@]}")
bc=$(median "${with_cpu[@]}")
echo "start-up to window shown without the drive database: median $a ms (runs: ${without[*]})," \
  "CPU $ac ms"
echo "start-up to window shown with the drive database:    median $b ms (runs: ${with[*]})," \
  "CPU $bc ms"
awk -v a="$a" -v b="$b" -v ac="$ac" -v bc="$bc" 'BEGIN {
  printf "the database adds %.1f %% to the start-up, %.1f %% to its CPU time\n",
    (b - a) * 100 / a, (bc - ac) * 100 / ac
  exit (b - a) * 100 / a >= 5
}'
