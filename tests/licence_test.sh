#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file and script says its licence in its first two lines, so
# that a file copied out of the tree still carries it.
set -euo pipefail
cd "$(dirname "$0")/.."

tag="SPDX-License-Identifier: GPL-3.0-or-later"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  files=$(git ls-files)
else
  files=$(find . -path ./build\* -prune -o -type f -print | sed 's|^\./||')
fi
status=0
while IFS= read -r file; do
  case "$file" in
    *.cpp | *.h | *.sh | *.py | */CMakeLists.txt | CMakeLists.txt | .ci/run | packaging/p*) ;;
    *) continue ;;
  esac
  [ -f "$file" ] || continue
  if ! head -n 2 "$file" | grep -qF "$tag"; then
    echo "no licence line: $file"
    status=1
  fi
done <<<"$files"
grep -q "GNU GENERAL PUBLIC LICENSE" LICENSE || { echo "LICENSE is not the GPL's text"; status=1; }
exit $status
