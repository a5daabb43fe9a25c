#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Halvoric and opens its window on this
# machine's drives.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# Only the programs: the tests and benchmarks need tools running does not.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVORIC_TESTS=OFF \
  -DHALVORIC_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)"
# Settings in ~/.config/halvoric, as when started from the menu.
exec build/bin/halvoric --user-settings "$@"
