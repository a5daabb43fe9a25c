#!/bin/busybox sh
# SPDX-License-Identifier: GPL-3.0-or-later
# /init of the test VM: loads the disk drivers, runs halvoric-cli as root, as
# an unprivileged user through halvoric-ata (with and without its NVMe right),
# and as that user without the helper, and smartctl on the NVMe drive for
# reference, and writes every output to the second serial port. Through the
# helper it runs a short and an extended self-test on the first SATA disk. Each level
# first asks the power modes, before any read. As root it also lets the
# kernel runtime-suspend the last SATA disk and asks again. It also reads the helper's
# capabilities while the helper waits in a series of its own.
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
while read -r module; do insmod "/modules/$module"; done </modules/order

# Under software emulation on a busy host the disks may take a while.
# Six SATA disks, drives 0 to 5, and the NVMe drive, drive 6.
disks="sda sdb sdc sdd sde sdf nvme0n1"
all_there() {
  for disk in $disks; do [ -e /sys/block/$disk ] || return 1; done
}
for _ in $(seq 600); do
  all_there && break
  sleep 0.1
done

stty -F /dev/ttyS1 raw -echo
exec 3>/dev/ttyS1
for disk in $disks; do
  [ -e /sys/block/$disk ] || echo "=== missing-$disk" >&3
done

run() {  # NAME COMMAND...: stdout, stderr and exit status as three sections
  name=$1
  shift
  "$@" >/tmp/out 2>/tmp/err
  status=$?
  echo "=== $name.out" >&3
  cat /tmp/out >&3
  echo "=== $name.err" >&3
  cat /tmp/err >&3
  echo "=== $name.exit" >&3
  echo "$status" >&3
}

user() { su -s /bin/sh user -c "$*"; }

# Each SATA disk's unit serial number page as the kernel read it, in hex:
# the kernel names the disks in the order their probes end, not by port.
disk_serials() {
  for disk in $disks; do
    [ -e /sys/block/$disk/device/vpd_pg80 ] || continue
    echo "$disk $(od -An -tx1 -v /sys/block/$disk/device/vpd_pg80 | tr -s ' \n' '  ')"
  done
}
run disk-serials disk_serials

. /helper_requests.sh
# The helper as the user, on DRIVE: its rights ("permitted in-force") before
# the open, and the answer's status with its rights after the open and after
# one command, each while it waits for the next request.
helper_rights() {  # NAME DRIVE
  mkfifo "/tmp/$1.in"
  exec 7<>"/tmp/$1.in"
  su -s /bin/sh user -c "exec /opt/halvoric/halvoric-ata" \
    <"/tmp/$1.in" >"/tmp/$1.replies" 7>&- &
  pid=$!
  helper_wait_reading $pid
  echo "before $(helper_capabilities $pid)"
  helper_open_request "$2" >&7
  helper_wait_replies "/tmp/$1.replies" 1 && helper_wait_reading $pid
  echo "opened $(helper_reply_status "/tmp/$1.replies" 1) $(helper_capabilities $pid)"
  helper_identify_request >&7
  helper_wait_replies "/tmp/$1.replies" 2 && helper_wait_reading $pid
  echo "command $(helper_reply_status "/tmp/$1.replies" 2) $(helper_capabilities $pid)"
  exec 7>&-
  wait $pid
  echo "exit $?"
}

run root-power /opt/halvoric/halvoric-cli --power --json
run root-list /opt/halvoric/halvoric-cli --json
run root-list-text /opt/halvoric/halvoric-cli
run root-sata /opt/halvoric/halvoric-cli --drive 0 --json
run root-nvme /opt/halvoric/halvoric-cli --drive 6 --json
run root-nvme-text /opt/halvoric/halvoric-cli --drive 6
# sdf left to the kernel's runtime power management: once it is suspended,
# the power check and the metrics file must leave it so. It is resumed for
# the runs after.
echo 200 >/sys/block/sdf/device/power/autosuspend_delay_ms
echo auto >/sys/block/sdf/device/power/control
for _ in $(seq 100); do
  [ "$(cat /sys/block/sdf/device/power/runtime_status)" = suspended ] && break
  sleep 0.1
done
run runtime-status-before cat /sys/block/sdf/device/power/runtime_status
run runtime-power /opt/halvoric/halvoric-cli --power --json
run runtime-metrics sh -c "/opt/halvoric/halvoric-cli --prometheus /tmp/m.prom && cat /tmp/m.prom"
run runtime-status-after cat /sys/block/sdf/device/power/runtime_status
echo on >/sys/block/sdf/device/power/control
# smartctl's section headings start with "===", as ours do.
run smartctl-nvme sh -c "/sbin/smartctl -a /dev/nvme0 | sed 's/^===/---/'"
run smartctl-sata sh -c "/sbin/smartctl -H -A /dev/sda | sed 's/^===/---/'"
run smartctl-attributes /sbin/smartctl -A -j /dev/sda

setcap cap_dac_read_search,cap_sys_rawio,cap_sys_admin+p /opt/halvoric/halvoric-ata
run helper-power user /opt/halvoric/halvoric-cli --power --json
run helper-list user /opt/halvoric/halvoric-cli --json
run helper-list-text user /opt/halvoric/halvoric-cli
run helper-sata user /opt/halvoric/halvoric-cli --drive 0 --json
run helper-nvme user /opt/halvoric/halvoric-cli --drive 6 --json
# Self-tests through the helper as the user: a short one, then, once the
# drive no longer says one runs (30 s at most), an extended one; then the
# logs as ours and as smartctl reads them.
run helper-selftest-short user /opt/halvoric/halvoric-cli --self-test short --drive 0
for _ in $(seq 60); do
  user /opt/halvoric/halvoric-cli --drive 0 --json | grep -q '"in progress' || break
  sleep 0.5
done
run helper-selftest-extended user /opt/halvoric/halvoric-cli --self-test extended --drive 0
run helper-logs user /opt/halvoric/halvoric-cli --drive 0 --json
run smartctl-logs /sbin/smartctl -j -c -l selftest -l error /dev/sda
run helper-refuses-args user /opt/halvoric/halvoric-ata --drive 0
run helper-rights-sata helper_rights sata 0
run helper-rights-nvme helper_rights nvme 6

# Installed without CAP_SYS_ADMIN: SATA as before, NVMe as unprivileged.
setcap cap_dac_read_search,cap_sys_rawio+p /opt/halvoric/halvoric-ata
run ata-only-power user /opt/halvoric/halvoric-cli --power --json
run ata-only-sata user /opt/halvoric/halvoric-cli --drive 0 --json
run ata-only-nvme user /opt/halvoric/halvoric-cli --drive 6 --json

run limited-power user /opt/limited/halvoric-cli --power --json
run limited-list user /opt/limited/halvoric-cli --json
run limited-sata user /opt/limited/halvoric-cli --drive 0 --json
run limited-nvme user /opt/limited/halvoric-cli --drive 6 --json

echo "=== end" >&3
exec 3>&-
sync
poweroff -f
