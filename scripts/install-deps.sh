#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages Halvoric needs: `run` (the default) for
# building and running it, `test` for that and every test tool. The lists
# are scripts/packages-run.txt and scripts/packages-test.txt. Skips apt
# entirely when everything is already there, so repeated runs are quick.
set -euo pipefail
cd "$(dirname "$0")"

purpose=${1:-run}
lists=(packages-run.txt)
case "$purpose" in
  run) ;;
  test) lists+=(packages-test.txt) ;;
  *) echo "usage: $0 [run|test]" >&2; exit 1 ;;
esac

read -r -a packages <<<"$(sed 's/#.*//' "${lists[@]}" | tr '\n' ' ')"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
