#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the helper holds while it waits for a request.
# A caller that starts the helper with stdin, stdout or stderr closed must
# not have the disk opened under that number: the helper fills each closed
# one with /dev/null before anything else.
# As root, a copy given its file capabilities and started by an unprivileged
# user has each right permitted and none in force while it waits for the
# open, and none left after an open that found no disk. The test VM checks
# an opened disk: only its right left, out of force between commands.
# Usage: helper_descriptors_test.sh HELPER
set -uo pipefail
helper=$1
. "$(dirname "$0")/helper_requests.sh"
work=$(mktemp -d)
pids=()
trap 'exec 7>&- 2>/dev/null; for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
for closed in 1 2; do
  mkfifo "$work/in$closed"
  # Held open here, so the helper waits for its first request.
  exec 7<>"$work/in$closed"
  if [ "$closed" = 1 ]; then
    "$helper" <"$work/in$closed" 1>&- 7>&- &
  else
    "$helper" <"$work/in$closed" 2>&- 7>&- &
  fi
  pid=$!
  # Before the exec the shell's child still has the descriptor it inherited;
  # the helper waiting for its request has long made its own.
  helper_wait_reading "$pid" || fail "with descriptor $closed closed, the helper does not wait"
  target=$(readlink "/proc/$pid/fd/$closed" 2>/dev/null)
  if [ "$target" != /dev/null ]; then
    fail "with descriptor $closed closed, the helper has '$target' there"
  fi
  exec 7>&-  # end of input ends the helper
  wait "$pid" 2>/dev/null
done

every_right=$(((1 << 2) | (1 << 17) | (1 << 21)))  # DAC_READ_SEARCH, SYS_RAWIO, SYS_ADMIN

expect_rights() {  # WHEN PERMITTED: none in force, PERMITTED permitted
  helper_wait_reading "$pid" || { fail "$1: the helper is not waiting for a request"; return; }
  local got
  got=$(helper_capabilities "$pid")
  [ "$got" = "$2 0" ] || fail "$1: permitted and in force: $got, wanted $2 0"
}

capability_checks() {
  # A copy of its own: file capabilities go with the file, and a folder the
  # unprivileged user may enter.
  chmod 755 "$work"
  capable=$work/halvoric-ata
  cp "$helper" "$capable"
  setcap cap_dac_read_search,cap_sys_rawio,cap_sys_admin+p "$capable" ||
    { fail "setcap on the copy failed"; return; }
  local bounding
  bounding=$((16#$(sed -n 's/^CapBnd:[[:space:]]*//p' /proc/self/status)))
  [ $((bounding & every_right)) -eq "$every_right" ] ||
    { echo "skipped capabilities: the bounding set lacks one of the helper's rights"; return; }

  mkfifo "$work/requests"
  exec 7<>"$work/requests"
  setpriv --reuid=65534 --regid=65534 --clear-groups "$capable" \
    <"$work/requests" >"$work/replies" 7>&- &
  pid=$!
  pids+=("$pid")
  expect_rights "before the first request" "$every_right"
  helper_open_request 200 >&7  # no such drive
  helper_wait_replies "$work/replies" 1 || fail "no answer to opening drive 200"
  [ "$(helper_reply_status "$work/replies" 1)" = 3 ] || fail "drive 200 was not answered NotFound"
  expect_rights "after an open that found no disk" 0
  exec 7>&-
  wait "$pid" 2>/dev/null
}

if [ "$(id -u)" != 0 ]; then
  echo "skipped capabilities: giving file capabilities needs root"
elif ! command -v setcap >/dev/null || ! command -v setpriv >/dev/null; then
  echo "skipped capabilities: setcap (libcap2-bin) or setpriv (util-linux) missing"
elif findmnt -n -o OPTIONS -T "$work" | tr ',' '\n' | grep -qx nosuid; then
  echo "skipped capabilities: $work is mounted nosuid, which ignores file capabilities"
else
  capability_checks
fi
[ "$failures" -eq 0 ] && echo "helper descriptors: all checks passed"
