#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The manual that "Help and Manual" opens, as the build tree has it beside the
# program: well-formed, self-contained, and every link of its contents leads somewhere.
# Usage: help_file_test.sh PROGRAM
set -euo pipefail

help="$(dirname "$1")/help.html"
command -v xmllint >/dev/null || { echo "SKIP: xmllint is not installed (libxml2-utils)"; exit 77; }
[ -f "$help" ] || { echo "no help.html beside $1"; exit 1; }

fail=0
# Well-formed XML catches unclosed and crossed tags; the HTML parser catches
# elements a browser would not know. It exits 0 on errors, so its output counts.
xmllint --noout "$help" || fail=1
html_errors=$(xmllint --html --noout "$help" 2>&1)
[ -z "$html_errors" ] || { echo "$html_errors"; fail=1; }

# Opened from a local folder, possibly offline: nothing may be fetched.
if grep -nEi '<(link|script|img|iframe)\b|@import|url\(' "$help"; then
  echo "help.html must not load anything from outside itself"
  fail=1
fi

ids=$(xmllint --html --xpath '//@id' "$help" 2>/dev/null | sed -E 's/ id="([^"]*)"/\1\n/g')
for target in $(xmllint --html --xpath '//a/@href' "$help" 2>/dev/null | grep -oE 'href="#[^"]*"' |
                sed -E 's/href="#(.*)"/\1/'); do
  grep -qx -- "$target" <<<"$ids" || { echo "link to missing #$target"; fail=1; }
done
exit $fail
