#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Halvoric against a bare Qt window in the same run, both on a private Xvfb
# screen with a tray host (trayer): start-up time to the mapped window, then
# an idle spell with the temperature warning on, measuring per thread the
# voluntary context switches (wake-ups) and at its end the resident memory.
# Prints the figures and the ratios with the goals; exits 1 when a goal is
# missed. Needs xvfb, trayer, xdotool.
# Usage: bench/idle_compare.sh [build directory, default build] [idle seconds, default 60] [runs, default 5]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
idle=${2:-60}
runs=${3:-5}
demo=$PWD/$build/bin/halvoric-demo
bare=$PWD/$build/bin/bare_window
scenario=$PWD/scenarios/demo.scenario

source scripts/lib/rig.sh
work=$(mktemp -d)
trap 'rig_stop_all; rm -rf "$work"' EXIT
start_xvfb 1024x768x24
trayer --edge bottom --align right --widthtype request --height 24 --SetDockType false \
  >/dev/null 2>&1 &
rig_track $!
wait_for 'xdotool search --name "^panel$" >/dev/null 2>&1' 100
# The temperature warning on: the watch's tick is part of what idle costs.
printf '<Tessivar><TempWarn>-1</TempWarn></Tessivar>\n' >"$work/config.xml"

# Starts "$@" in the work folder, waits for a window titled $title, and
# leaves the milliseconds it took in $elapsed and the PID in $started.
start_timed() {
  local title=$1
  shift
  local begin end
  begin=$(date +%s%N)
  (cd "$work" && QT_QPA_PLATFORM=xcb exec "$@" >/dev/null 2>&1) &
  started=$!
  until xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1; do
    kill -0 "$started" 2>/dev/null || { echo "$1 ended before its window showed" >&2; exit 1; }
    sleep 0.005
  done
  end=$(date +%s%N)
  elapsed=$(((end - begin) / 1000000))
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

# Voluntary context switches per thread, one "TID COUNT" line each.
switches() {
  local pid=$1 status
  for status in /proc/"$pid"/task/*/status; do
    echo "$(basename "$(dirname "$status")") $(awk '/^voluntary_ctxt_switches/ {print $2}' "$status")"
  done
}

# Wake-ups between two samples: "MAIN OTHERS", counting only the threads in
# both (a thread that ended or began in between says nothing of idling).
wakeups() {
  local pid=$1 before=$2 after=$3
  awk -v main="$pid" 'NR == FNR { start[$1] = $2; next }
    ($1 in start) { d = $2 - start[$1]; if ($1 == main) m += d; else o += d }
    END { print m + 0, o + 0 }' "$before" "$after"
}

measure() {
  local name=$1 title=$2
  shift 2
  local times=() pid
  for _ in $(seq "$runs"); do
    start_timed "$title" "$@"
    times+=("$elapsed")
    pid=$started
    if [ ${#times[@]} -lt "$runs" ]; then
      kill -TERM "$pid"
      wait "$pid" 2>/dev/null || true
    fi
  done
  sleep 2  # past start-up work queued behind the window
  switches "$pid" >"$work/before"
  sleep "$idle"
  switches "$pid" >"$work/after"
  local main others
  read -r main others < <(wakeups "$pid" "$work/before" "$work/after")
  local rss
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
  kill -TERM "$pid"
  wait "$pid" 2>/dev/null || true
  eval "${name}_start=$(median "${times[@]}")"
  eval "${name}_main=$main"
  eval "${name}_others=$others"
  eval "${name}_rss=$((rss / 1024))"
  echo "$name: start-up median $(median "${times[@]}") ms (runs: ${times[*]}), " \
    "wake-ups in ${idle} s: main thread $main, other threads $others, " \
    "idle memory $((rss / 1024)) MiB"
}

measure bare Bare "$bare"
measure halvoric Halvoric "$demo" "$scenario"

ticks=$((idle / 30 + 1))
status=0
check() {
  if eval "$2"; then echo "  met:    $1"; else echo "  missed: $1"; status=1; fi
}
echo "goals:"
check "main-thread wake-ups ${halvoric_main} <= bare ${bare_main} + 2 per tick (${ticks} ticks)" \
  "[ $halvoric_main -le $((bare_main + 2 * ticks)) ]"
check "start-up ${halvoric_start} ms <= 1.2 x bare ${bare_start} ms" \
  "[ $((halvoric_start * 10)) -le $((bare_start * 12)) ]"
check "idle memory ${halvoric_rss} MiB <= bare ${bare_rss} MiB + 5 MiB" \
  "[ $halvoric_rss -le $((bare_rss + 5)) ]"
exit $status
