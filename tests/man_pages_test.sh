#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The man pages: formatted without a warning, each with a NAME section that
# the manual database can index, and the command-line tool's page naming
# every option its --help names.
# Usage: man_pages_test.sh halvoric-cli
set -euo pipefail
pages=$(cd "$(dirname "$0")/../docs/man" && pwd)
cli=$1
command -v man >/dev/null && command -v lexgrog >/dev/null || { echo "no man-db"; exit 77; }

status=0
for page in halvoric.1 halvoric-cli.1 halvoric-ata.8; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$pages/$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page: $warnings"; status=1; }
  lexgrog "$pages/$page" >/dev/null || { echo "$page: no NAME section lexgrog can read"; status=1; }
done
for option in $("$cli" --help | grep -o -- '--[a-z-]*' | sort -u); do
  grep -q -- "${option//-/\\\\-}" "$pages/halvoric-cli.1" ||
    { echo "halvoric-cli.1 does not describe $option"; status=1; }
done
exit $status
