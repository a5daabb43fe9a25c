#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Halvoric and runs every test: a plain build,
# then the same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test

jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVORIC_TESTS=ON \
  -DHALVORIC_BENCH=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHALVORIC_SANITIZE=ON -DHALVORIC_BENCH=OFF
cmake --build build-asan -j "$jobs"
# The VM test already ran in the plain build; under the sanitizers it would
# only boot the same kernel again, slower. The package test builds its own
# Release programs, so it would only repeat itself.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE 'vm|package'
scripts/fuzz.sh
