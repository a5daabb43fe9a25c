#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Started as the menu entry starts it, the program keeps config.xml in the
# user's settings folder, made private on first use; a folder that cannot be
# made ends the start with a message and status 1, before any window. A
# termination signal ends it even when the settings cannot be written.
# Usage: settings_folder_test.sh PROGRAM
set -euo pipefail
program=$1
home=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT
mkdir -m 700 "$home/run"
export XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/run QT_QPA_PLATFORM=offscreen

touch "$home/file"
for arguments in "--settings-dir $home/file/below" "--bogus"; do
  status=0
  # shellcheck disable=SC2086
  "$program" $arguments 2>"$home/said" || status=$?
  [ "$status" -eq 1 ] || { echo "FAIL: $arguments: status $status"; exit 1; }
  grep -q '^\(halvoric: \|usage: \)' "$home/said" || { echo "FAIL: $arguments said:"; cat "$home/said"; exit 1; }
done
grep -q 'cannot be made' <("$program" --settings-dir "$home/file/below" 2>&1 || true) ||
  { echo "FAIL: no reason given"; exit 1; }

(cd "$home" && exec "$program" --user-settings) &
pid=$!
for _ in $(seq 100); do [ -d "$home/config/halvoric" ] && break; sleep 0.05; done
sleep 1
kill -TERM "$pid"
wait "$pid" || true
pid=
[ "$(stat -c %a "$home/config/halvoric")" = 700 ] || { echo "FAIL: folder not private"; exit 1; }
[ -f "$home/config/halvoric/config.xml" ] || { echo "FAIL: no config.xml in the settings folder"; exit 1; }
[ ! -e "$home/config.xml" ] || { echo "FAIL: config.xml in the starting folder"; exit 1; }
# The first start watches the drives at once.
grep -q '<TempWarn>-1' "$home/config/halvoric/config.xml" &&
  grep -q '<PopupNotification>-1' "$home/config/halvoric/config.xml" ||
  { echo "FAIL: the first start left the temperature warning or the popup off"; exit 1; }
echo "settings folder: config.xml kept in $home/config/halvoric"

# The comment stops the reader, and a folder config.xml.bak then blocks the save, for root too.
mkdir "$home/stuck" "$home/stuck/config.xml.bak" && echo '<a><!-- by hand --></a>' >"$home/stuck/config.xml"
(cd "$home/stuck" && exec timeout --foreground -s KILL 20 "$program") 2>"$home/said" &
sleep 2
kill -TERM $! && wait $! || { echo "FAIL: status $? after SIGTERM"; exit 1; }
grep -q '^halvoric: The settings were not saved' "$home/said" || { echo "FAIL: stderr:"; cat "$home/said"; exit 1; }
