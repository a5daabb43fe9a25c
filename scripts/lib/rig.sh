# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts that start programs for a check or a measurement.
# Every process they start is tracked here and stopped by its PID at the end.
# Under set -e a failing command ends an EXIT trap where it stands: a kill
# of a program already gone, before rig_stop_all, left the rig running.

rig_pids=()

rig_track() { rig_pids+=("$1"); }

rig_stop_all() {
  for pid in "${rig_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${rig_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}

# Waits up to $2 tenths of a second for `$1` to succeed.
wait_for() {
  for _ in $(seq "$2"); do
    eval "$1" && return 0
    sleep 0.1
  done
  echo "timed out waiting for: $1"
  return 1
}

# Starts a private Xvfb screen of the size given (e.g. 800x600x24) and
# exports DISPLAY for it; Xvfb itself picks a free display number. Without
# -noreset the server resets whenever its last client leaves and refuses
# whoever connects meanwhile (a checking tool, then the tray).
start_xvfb() {
  local number
  exec 3< <(Xvfb -displayfd 1 -screen 0 "$1" -nolisten tcp -noreset 2>/dev/null)
  rig_track $!
  read -r -t 10 number <&3
  export DISPLAY=":$number"
  wait_for 'xdpyinfo >/dev/null 2>&1' 100
}
