#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# In one boot of a VM with eight emulated disks (six SATA disks on the AHCI
# ports, two NVMe drives): the time of one halvoric-cli --prometheus run
# over all of them against one `smartctl --json --info --health
# --attributes --log=error` per disk, which is what smartctl_exporter runs
# at each scrape. Both as root, in turns, five rounds each. Prints the sums
# and their ratio; exits 1 when ours takes more than 0.25 of smartctl's,
# 77 without QEMU, a kernel, busybox or smartctl. Boots with the VM test's
# scripts (tests/vm/vm_boot.sh); not part of the test suite.
# Usage: bench/vm_metrics_compare.sh [build directory, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli=$PWD/$build/bin/halvoric-cli
source tests/vm/vm_boot.sh
smartctl=$(command -v smartctl || true)
[ -n "$smartctl" ] || { echo "skipped: smartctl missing (Debian smartmontools)"; exit 77; }
vm_require

tmp=$(mktemp -d)
trap '[ -n "$vm_qemu_pid" ] && kill "$vm_qemu_pid" 2>/dev/null || true; rm -rf "$tmp"' EXIT
root=$tmp/root
vm_root "$root" bench/vm_metrics_init.sh
vm_copy_with_libraries "$root" "$cli" /opt/halvoric/halvoric-cli
vm_copy_with_libraries "$root" "$smartctl" /sbin/smartctl
vm_drive_database "$root"
vm_modules "$root" ahci sd_mod sg nvme

disks=()
for port in 0 1 2 3 4 5; do
  truncate -s 64M "$tmp/sata$port.img"
  disks+=(-drive "if=none,id=sata$port,file=$tmp/sata$port.img,format=raw"
    -device "ide-hd,drive=sata$port,bus=ide.$port,model=Bench Disk $port,serial=BENCH$port")
done
for n in 0 1; do
  truncate -s 64M "$tmp/nvme$n.img"
  disks+=(-drive "if=none,id=nvme$n,file=$tmp/nvme$n.img,format=raw"
    -device "nvme,drive=nvme$n,serial=BENCHNVME$n")
done
vm_boot "$root" "$tmp" 600 "${disks[@]}"

figure() { awk -v key="$1" '$1 == key { print $2 }' "$tmp/out.txt"; }
grep -qx end "$tmp/out.txt" || { echo "the VM did not finish"; tail -n 30 "$tmp/console.log"; exit 1; }
[ "$(figure written)" = "$(figure disks)" ] ||
  { echo "the file holds $(figure written) of $(figure disks) disks"; exit 1; }
ours=$(figure halvoric)
theirs=$(figure smartctl)
echo "$(figure disks) disks, $(figure rounds) rounds in one boot:"
echo "  one halvoric-cli --prometheus run each round:  $((ours * 10)) ms in all"
echo "  one smartctl --json per disk each round:        $((theirs * 10)) ms in all"
awk -v a="$ours" -v b="$theirs" 'BEGIN {
  printf "ratio %.3f (goal: at most 0.25): %s\n", a / b, a / b <= 0.25 ? "met" : "MISSED"
  exit a / b > 0.25
}'
