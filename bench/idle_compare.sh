#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Halvoric against a bare Qt window in the same run, both on a private Xvfb
# screen with a tray host (trayer): start-up time to the mapped window, the
# two programs started in turn so that a busy spell of the machine falls on
# both alike, then an idle spell of both with the temperature warning on,
# measuring per thread the voluntary context switches (wake-ups) and at its
# end the resident memory. Prints the figures, the median and the worst
# start-up of each, and the goals, the wake-ups' against the watch's ticks
# that fell in the spell; exits 1 when a goal is missed. Needs xvfb,
# trayer, xdotool.
# Usage: bench/idle_compare.sh [build directory, default build] [idle seconds, default 60] [runs, default 7]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
idle=${2:-60}
runs=${3:-7}
demo=$PWD/$build/bin/halvoric-demo
bare=$PWD/$build/bin/bare_window
mapped_at=$PWD/$build/bin/window_mapped
scenario=$PWD/scenarios/demo.scenario

source scripts/lib/rig.sh
source scripts/lib/desktop.sh
work=$(mktemp -d)
bare_pid=
halvoric_pid=
trap 'kill $bare_pid $halvoric_pid 2>/dev/null || true; rig_stop_all; rm -rf "$work"' EXIT
start_bench_desktop "$work"
trayer --edge bottom --align right --widthtype request --height 24 --SetDockType false \
  >/dev/null 2>&1 &
rig_track $!
wait_for 'xdotool search --name "^panel$" >/dev/null 2>&1' 100
# The temperature warning on: the watch's tick is part of what idle costs.
printf '<Tessivar><TempWarn>-1</TempWarn></Tessivar>\n' >"$work/config.xml"

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Starts "$@" in the work folder, waits for a window titled $title, and
# leaves the milliseconds it took in $elapsed, the PID in $started and
# when it began (milliseconds since the epoch) in $began. The map is told
# by the X server as it happens (window_mapped): a poll would err by its
# period and load the server while the program starts.
start_timed() {
  local title=$1
  shift
  local begin mapped ready
  coproc MAPPED { exec "$mapped_at" "$title"; }
  read -r ready <&"${MAPPED[0]}" || { echo "window_mapped could not watch the screen" >&2; exit 1; }
  begin=$(date +%s%N)
  began=$((begin / 1000000))
  (cd "$work" && QT_QPA_PLATFORM=xcb exec "$@" >/dev/null 2>&1) &
  started=$!
  read -r mapped <&"${MAPPED[0]}" || { echo "no window \"$title\" showed" >&2; exit 1; }
  wait "$MAPPED_PID" 2>/dev/null || true
  elapsed=$(((mapped - begin) / 1000000))
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

worst() { printf '%s\n' "$@" | sort -n | tail -1; }

mib() { awk -v kib="$1" 'BEGIN { printf "%.1f", kib / 1024 }'; }

# Leaves "${name}_start" (median), "${name}_worst", "${name}_main",
# "${name}_others" and "${name}_rss" (KiB) of the program left running
# under PID "${name}_pid".
idle_figures() {
  local name=$1 pid
  pid=$(eval echo "\$${name}_pid")
  local main others rss anon
  read -r main others < <(wakeups "$pid" "$work/${name}_before" "$work/${name}_after")
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
  # The program's own pages (heap, stacks), apart from the mapped files'
  # code that the resident figure also counts.
  anon=$(awk '/^RssAnon/ {print $2}' "/proc/$pid/status")
  kill -TERM "$pid"
  wait "$pid" 2>/dev/null || true
  local -n times=${name}_times
  eval "${name}_start=$(median "${times[@]}")"
  eval "${name}_worst=$(worst "${times[@]}")"
  eval "${name}_main=$main"
  eval "${name}_others=$others"
  eval "${name}_rss=$rss"
  echo "$name: start-up median $(median "${times[@]}") ms, worst $(worst "${times[@]}") ms" \
    "(runs: ${times[*]}), wake-ups in ${idle} s: main thread $main, other threads $others," \
    "idle memory $(mib "$rss") MiB (anonymous $(mib "$anon") MiB)"
}

bare_times=()
halvoric_times=()
for run in $(seq "$runs"); do
  start_timed Bare "$bare"
  bare_times+=("$elapsed")
  bare_pid=$started
  start_timed Halvoric "$demo" "$scenario"
  halvoric_times+=("$elapsed")
  halvoric_pid=$started
  halvoric_began=$began
  if [ "$run" -lt "$runs" ]; then
    kill -TERM "$bare_pid" "$halvoric_pid"
    wait "$bare_pid" "$halvoric_pid" 2>/dev/null || true
  fi
done
# The last of each idles, side by side: each counts only its own threads.
# The watch ticks every 30 s from the warning's start, which the settings
# bring before the window shows. The spell begins halfway between two
# ticks, long past the start-up, so that no tick falls near either of its
# ends (with 60 s, or any multiple of 30); the ticks in it are counted from
# that phase.
period_ms=30000
sleep "$(awk -v ms=$((halvoric_began + period_ms / 2 - $(now_ms))) 'BEGIN { print (ms > 0 ? ms / 1000 : 0) }')"
spell_from=$(now_ms)
switches "$bare_pid" >"$work/bare_before"
switches "$halvoric_pid" >"$work/halvoric_before"
sleep "$idle"
switches "$bare_pid" >"$work/bare_after"
switches "$halvoric_pid" >"$work/halvoric_after"
spell_to=$(now_ms)
idle_figures bare
idle_figures halvoric

ticks=$(awk -v from=$((spell_from - halvoric_began)) -v to=$((spell_to - halvoric_began)) \
  -v period=$period_ms 'BEGIN { for (t = period; t <= to; t += period) n += t >= from; print n + 0 }')
status=0
check() {
  if eval "$2"; then echo "  met:    $1"; else echo "  missed: $1"; status=1; fi
}
echo "goals:"
check "main-thread wake-ups ${halvoric_main} <= bare ${bare_main} + 1 per tick (${ticks} ticks in the spell)" \
  "[ $halvoric_main -le $((bare_main + ticks)) ]"
check "start-up median ${halvoric_start} ms <= 1.15 x bare ${bare_start} ms" \
  "[ $((halvoric_start * 100)) -le $((bare_start * 115)) ]"
check "start-up worst run ${halvoric_worst} ms <= 1.3 x bare worst ${bare_worst} ms" \
  "[ $((halvoric_worst * 10)) -le $((bare_worst * 13)) ]"
# In KiB: whole MiB on both sides could hide almost 1 MiB either way.
check "idle memory $(mib "$halvoric_rss") MiB <= bare $(mib "$bare_rss") MiB + 4 MiB" \
  "[ $halvoric_rss -le $((bare_rss + 4 * 1024)) ]"
exit $status
