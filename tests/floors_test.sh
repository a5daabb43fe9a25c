#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Folders are floors: each includes only the folders it may build on, so no
# circle can grow back between the window and its logic.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [base]=""
  [drive]="base"
  [services]="base drive"
  [mail]="base"
  [disks]="base drive"
  [helper]="base drive disks"
  [desktop]="base services"
  [settings]="base drive services"
  [shell]="base services"
  [report]="base drive"
  [monitor]="base drive services settings report"
  [ui]="base drive services desktop settings shell report monitor"
  [cli]="base drive disks report"
  [app]="base drive services disks desktop settings shell monitor ui"
)

status=0
for folder in "${!allowed[@]}"; do
  while IFS= read -r line; do
    file=${line%%:*}
    used=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$line")
    [ "$used" = "$folder" ] && continue
    if [[ " ${allowed[$folder]} " != *" $used "* ]]; then
      echo "$file includes $used/, which $folder/ may not build on"
      status=1
    fi
  done < <(grep -rnE '^#include "[a-z_]+/' "$folder" --include='*.h' --include='*.cpp' || true)
done

# No file outside the window's folder defines a member of the window.
if grep -rln 'TTessivar_Form::' base drive services mail disks helper desktop settings shell report monitor cli app; then
  echo "window members are defined outside ui/"
  status=1
fi
# Every folder with code is a floor above: a new one must say what it builds on.
for folder in $(git ls-files '*.h' '*.cpp' | grep -v '^\(tests\|bench\|fuzz\)/' | cut -d/ -f1 | sort -u); do
  if [ -z "${allowed[$folder]+known}" ]; then
    echo "$folder/ holds code but is not a floor here"
    status=1
  fi
done
exit $status
