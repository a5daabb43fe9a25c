#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz targets with clang (AddressSanitizer and UndefinedBehavior-
# Sanitizer on) and runs each for half a minute on a copy of its seed corpus:
# the XML reader, the drive decoders over raw sectors, the drive database
# parser, the scenario parser, the helper's request check and the mail
# settings. A crash, leak, timeout or
# memory blow-up fails the script; libFuzzer leaves the input that caused it
# in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(xml_reader drive_decoder drive_database scenario helper_request mail_config)
corpora=(xml drive drivedb scenario request mailconf)

cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DHALVORIC_FUZZ=ON -DHALVORIC_SANITIZE=ON -DHALVORIC_BENCH=OFF -DHALVORIC_GUI=OFF
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]/%/_fuzzer}"

for i in "${!targets[@]}"; do
  corpus=build-fuzz/corpus/${corpora[$i]}
  rm -rf "$corpus"
  mkdir -p "$corpus"
  cp fuzz/corpus/"${corpora[$i]}"/* "$corpus"/
  echo "fuzzing ${targets[$i]} for 30 s"
  build-fuzz/fuzz/"${targets[$i]}"_fuzzer -max_total_time=30 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix=build-fuzz/ "$corpus" 2>&1 | tail -3
  [ "${PIPESTATUS[0]}" -eq 0 ] || exit 1
done
