#!/usr/bin/env bash
# Installs what is missing, builds Halvoric and opens its window on this
# machine's drives.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
exec build/bin/halvoric "$@"
