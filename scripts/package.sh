#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package halvoric_<version>_amd64.deb: a Release build of
# only what the package installs (no tests, no benchmarks), for /usr, then
# cpack. Prints the package's path on the last line.
# Usage: scripts/package.sh [build directory [cmake option...]]
#   the build directory defaults to build-package; options such as
#   -DHALVORIC_HELPER_NVME=OFF are passed to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=${1:-build-package}
shift || true
scripts/install-deps.sh run

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DHALVORIC_TESTS=OFF -DHALVORIC_BENCH=OFF -DHALVORIC_FUZZ=OFF -DHALVORIC_SANITIZE=OFF \
  -DHALVORIC_GUI=ON "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
# A package left from an earlier version would match the same pattern.
rm -f "$dir"/halvoric_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)

package=$(ls "$dir"/halvoric_*.deb)
echo "$(cd "$(dirname "$package")" && pwd)/$(basename "$package")"
