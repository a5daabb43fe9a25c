#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The README's command to run Halvoric installs what running needs and no
# test tool: the run list and the test list share nothing, and nothing on
# the test list is pulled in by the run list's dependencies (packages every
# Debian system has anyway aside).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v apt-cache >/dev/null || { echo "no apt-cache"; exit 77; }

list() { sed 's/#.*//' "$1" | tr ' ' '\n' | sed '/^$/d' | sort -u; }
run=$(list scripts/packages-run.txt)
test=$(list scripts/packages-test.txt)

status=0
both=$(comm -12 <(echo "$run") <(echo "$test"))
[ -z "$both" ] || { echo "on both lists: $both"; status=1; }

closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances $run 2>/dev/null | grep -v '^ ' | sort -u)
for package in $(comm -12 <(echo "$closure") <(echo "$test")); do
  priority=$(apt-cache show "$package" 2>/dev/null | awk '/^Priority:/ {print $2; exit}')
  case "$priority" in
    required | important) ;;
    *) echo "running pulls in the test tool $package"; status=1 ;;
  esac
done
exit $status
