#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every built program and the mail library carry their hardening: position
# independent (type DYN), immediate binding, a read-only relocation segment,
# the stack protector where it has stack buffers to guard, and, in optimised
# builds, the checked (_chk) string and memory calls.
# Usage: hardening_test.sh FORTIFIED FILE...: FORTIFIED is 1 when the build
# was optimised without sanitizers (in a Debug build the checked calls are
# not asked for); a FILE written +FILE must also show the stack protector,
# one written ++FILE that and, when FORTIFIED, the checked calls (a program
# whose calls all have sizes the compiler can prove needs none).
set -uo pipefail
fortified=$1
shift
command -v readelf >/dev/null || { echo "SKIP: readelf missing"; exit 77; }
failures=0
fail() {
  echo "FAIL: $1"
  failures=$((failures + 1))
}

for arg in "$@"; do
  file=${arg#+}
  file=${file#+}
  name=$(basename "$file")
  [ -e "$file" ] || { fail "$name was not built"; continue; }
  readelf -hW "$file" | grep -qE '^ *Type: +DYN' || fail "$name is not position independent"
  dynamic=$(readelf -dW "$file")
  grep -qE '\(BIND_NOW\)|\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*\bNOW\b' <<<"$dynamic" ||
    fail "$name binds its symbols lazily"
  readelf -lW "$file" | grep -q 'GNU_RELRO' || fail "$name has no read-only relocation segment"
  [ "$arg" = "$file" ] && continue
  symbols=$(readelf -sW --dyn-syms "$file")
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$name has no stack protector"
  if [ "$fortified" = 1 ] && [ "${arg#++}" != "$arg" ]; then
    grep -qE '__[a-z0-9_]+_chk(@|$| )' <<<"$(grep -v __stack_chk_fail <<<"$symbols")" ||
      fail "$name calls no checked functions"
  fi
done

[ "$failures" -eq 0 ] && echo "hardening: all checks passed"
exit "$failures"
