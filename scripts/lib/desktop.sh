# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced after rig.sh by the checks that give a program today's desktop
# services: a private session bus, a StatusNotifierWatcher and a
# notification server. Each needs XDG_RUNTIME_DIR, made by start_session.

# Under the sanitizers, what Qt keeps to the process's end on these desktops
# is no leak of ours. Qt's libraries have no frame pointers: only the slow
# unwinder sees the Qt functions the suppressions name.
LSAN_OPTIONS="suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/tests/desktop/qt-leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0"
export LSAN_OPTIONS ASAN_OPTIONS

# Makes the session's private folder $1 (mode 0700) and starts a session bus
# there; exports XDG_RUNTIME_DIR and DBUS_SESSION_BUS_ADDRESS.
start_session() {
  mkdir -p "$1"
  chmod 700 "$1"
  export XDG_RUNTIME_DIR=$1
  dbus-daemon --session --nofork --print-address=1 --address="unix:path=$1/bus" >"$1/bus-address" 2>"$1/bus.log" &
  rig_track $!
  wait_for "[ -s '$1/bus-address' ]" 50
  DBUS_SESSION_BUS_ADDRESS=$(head -1 "$1/bus-address")
  export DBUS_SESSION_BUS_ADDRESS
}

name_owned() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$1" | grep -q true
}

# A panel's StatusNotifierWatcher with its host; its method calls are logged
# to $1.
start_watcher() {
  /usr/bin/python3 -m dbusmock --session -t "$(dirname "${BASH_SOURCE[0]}")/../../tests/desktop/status_notifier_watcher.py" \
    -l "$1" >/dev/null 2>&1 &
  rig_track $!
  watcher_pid=$!
  wait_for 'name_owned org.kde.StatusNotifierWatcher' 100
}

# The bus name of the first item that registered with the watcher logging to $1.
registered_item() {
  sed -n 's/.* RegisterStatusNotifierItem "\(.*\)"$/\1/p' "$1" | head -1
}

# dunst, with every notification shown apart (its default merges equal ones).
start_dunst() {
  printf '[global]\nstack_duplicates = false\nidle_threshold = 0\n' >"$1"
  dunst -config "$1" >/dev/null 2>&1 &
  rig_track $!
  wait_for 'name_owned org.freedesktop.Notifications' 50
}

# The window benchmarks' desktop: a private display, and the session bus
# every desktop session has (without it, each start would launch a bus of
# its own for its first D-Bus call, which no user's start-up pays). $1 is
# the work folder.
start_bench_desktop() {
  start_xvfb 1024x768x24
  start_session "$1/session"
}

# Waits until a window titled exactly $1 is mapped; fails when the process
# $2 ended before.
wait_for_window() {
  until xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; do
    kill -0 "$2" 2>/dev/null || { echo "the program of \"$1\" ended before its window showed" >&2; return 1; }
    sleep 0.005
  done
}
