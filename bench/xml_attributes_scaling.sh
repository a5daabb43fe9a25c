#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whether reading an element's attributes grows with their number: counts the
# instructions (callgrind, repeatable whatever else the machine does) of one
# read of 25k, 50k and 100k attributes and prints the ratio per doubling.
# Wall time is no guide here: past the caches, memory makes every parser
# look worse than linear. Exits 1 when a doubling costs more than 2.2 times.
# Usage: bench/xml_attributes_scaling.sh [build directory, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
bench=$PWD/${1:-build}/bench/xml_attributes_bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

previous=
status=0
for n in 25000 50000 100000; do
  valgrind --tool=callgrind --callgrind-out-file="$work/$n" "$bench" \
    --benchmark_filter="BM_ReadAttributes/$n\$" --benchmark_min_time=0.001 >/dev/null 2>&1
  count=$(callgrind_annotate --inclusive=yes "$work/$n" |
    awk '/TXmlDoc::LoadFromText/ && !found {gsub(",", "", $1); print $1; found = 1}')
  line="$n attributes: $count instructions"
  if [ -n "$previous" ]; then
    ratio=$(awk -v a="$count" -v b="$previous" 'BEGIN {printf "%.2f", a / b}')
    line+=" (x$ratio for twice as many)"
    awk -v r="$ratio" 'BEGIN {exit !(r > 2.2)}' && status=1
  fi
  echo "$line"
  previous=$count
done
exit $status
