#!/bin/busybox sh
# SPDX-License-Identifier: GPL-3.0-or-later
# /init of the benchmark VM: loads the disk drivers, then times, in turns,
# one halvoric-cli --prometheus run over every disk against one smartctl
# --json per disk, as smartctl_exporter runs it at each scrape, and writes
# the sums (hundredths of a second) to the second serial port.
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
while read -r module; do insmod "/modules/$module"; done </modules/order

disks="sda sdb sdc sdd sde sdf nvme0n1 nvme1n1"
all_there() {
  for disk in $disks; do [ -e /sys/block/$disk ] || return 1; done
}
for _ in $(seq 600); do
  all_there && break
  sleep 0.1
done
stty -F /dev/ttyS1 raw -echo
exec 3>/dev/ttyS1

# Hundredths of a second since boot: busybox's date has no nanoseconds.
centis() {
  read -r up _ </proc/uptime
  echo "${up%.*}${up#*.}"
}
ours() { /opt/halvoric/halvoric-cli --prometheus /tmp/m.prom 2>/dev/null; }
theirs() {
  for disk in $disks; do
    /sbin/smartctl --json --info --health --attributes --log=error /dev/$disk >/dev/null
  done
}
# Once each first, so that neither pays for cold caches.
ours
theirs
rounds=${HALVORIC_BENCH_ROUNDS:-5}
ours_total=0
theirs_total=0
for _ in $(seq "$rounds"); do
  start=$(centis)
  ours
  ours_total=$((ours_total + $(centis) - start))
  start=$(centis)
  theirs
  theirs_total=$((theirs_total + $(centis) - start))
done
echo "disks $(echo $disks | wc -w)" >&3
echo "written $(grep -c '^smartctl_device{' /tmp/m.prom)" >&3
echo "rounds $rounds" >&3
echo "halvoric $ours_total" >&3
echo "smartctl $theirs_total" >&3
echo "end" >&3
exec 3>&-
sync
poweroff -f
