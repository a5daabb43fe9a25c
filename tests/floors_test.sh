#!/usr/bin/env bash
# Folders are floors: each includes only the folders it may build on, so no
# circle can grow back between the window and its logic.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [base]=""
  [drive]="base"
  [services]="base drive"
  [mail]="base"
  [platform]="base drive services"
  [settings]="base drive services"
  [shell]="base services"
  [monitor]="base drive services settings"
  [tools]="base drive platform"
  [ui]="base drive services platform settings shell monitor"
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
if grep -rln 'TTessivar_Form::' base drive services mail platform settings shell monitor tools; then
  echo "window members are defined outside ui/"
  status=1
fi
exit $status
