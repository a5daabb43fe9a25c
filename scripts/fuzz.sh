#!/usr/bin/env bash
# Builds the XML reader's fuzz target with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs it for a minute on a copy of the seed
# corpus. A crash, leak, timeout or memory blow-up fails the script; libFuzzer
# leaves the input that caused it in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DHALVORIC_FUZZ=ON -DHALVORIC_SANITIZE=ON -DHALVORIC_BENCH=OFF
cmake --build build-fuzz -j "$(nproc)" --target xml_reader_fuzzer

corpus=build-fuzz/corpus/xml
rm -rf "$corpus"
mkdir -p "$corpus"
cp fuzz/corpus/xml/* "$corpus"/
build-fuzz/fuzz/xml_reader_fuzzer -max_total_time=60 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix=build-fuzz/ "$corpus"
