#!/usr/bin/env bash
# A caller that starts the helper with stdin, stdout or stderr closed must
# not have the disk opened under that number: the helper fills each closed
# one with /dev/null before anything else.
# Usage: helper_descriptors_test.sh HELPER
set -uo pipefail
helper=$1
work=$(mktemp -d)
trap 'exec 7>&- 2>/dev/null; rm -rf "$work"' EXIT
failures=0
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
  target=
  for _ in $(seq 50); do
    target=$(readlink "/proc/$pid/fd/$closed" 2>/dev/null) && [ -n "$target" ] && break
    sleep 0.05
  done
  if [ "$target" != /dev/null ]; then
    echo "FAIL: with descriptor $closed closed, the helper has '$target' there"
    failures=$((failures + 1))
  fi
  exec 7>&-  # end of input ends the helper
  wait "$pid" 2>/dev/null
done
[ "$failures" -eq 0 ] && echo "helper descriptors: all checks passed"
