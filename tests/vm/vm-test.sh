#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Boots Debian's kernel under QEMU with six emulated SATA disks on the AHCI
# ports and an emulated NVMe disk, whose identities we choose, runs
# halvoric-cli inside as root, through halvoric-ata as an unprivileged user,
# and as that user without the helper, and checks the rows against what the
# emulated drives report, that a disk the kernel has runtime-suspended is
# left so, the NVMe drive's figures against what smartctl (smartmontools, a
# reference only) reads from it in the same boot, and every JSON document
# against the published schema.
# Usage: vm-test.sh HALVORIC-CLI HALVORIC-ATA SCHEMA. Exit 77 (skipped)
# without QEMU, a kernel image or busybox.
set -euo pipefail
cli=$(realpath "$1")
helper=$(realpath "$2")
schema=$(realpath "$3")
here=$(dirname "$(realpath "$0")")

kernel=$(ls /boot/vmlinuz-* 2>/dev/null | sort -V | tail -n 1 || true)
smartctl=$(command -v smartctl || true)
[ -n "$smartctl" ] || { echo "skipped: smartctl missing (Debian smartmontools)"; exit 77; }
for tool in qemu-system-x86_64 cpio setcap; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool missing"; exit 77; }
done
[ -n "$kernel" ] && [ -r "$kernel" ] || { echo "skipped: no readable /boot/vmlinuz-*"; exit 77; }
[ -x /bin/busybox ] || { echo "skipped: busybox-static missing"; exit 77; }
version=${kernel#/boot/vmlinuz-}

# Odd lengths and mixed case: a byte-pair swap gone wrong shows at once.
sata_model="HalVoric Emu Disk 1"
sata_serial="SerX7aB9c"
sata_firmware="Fw2.5b1"
nvme_serial="NvMe5eR1x"
# The other five SATA disks, on ports 1 to 5.
other_serials=(SerPort1x SerPort2x SerPort3x SerPort4x SerPort5x)

tmp=$(mktemp -d)
qemu_pid=""
cleanup() {
  [ -n "$qemu_pid" ] && kill "$qemu_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

root=$tmp/root
mkdir -p "$root"/{bin,sbin,proc,sys,dev,tmp,etc,modules,opt/halvoric,opt/limited}
cp /bin/busybox "$root/bin/busybox"
cp "$here/vm_init.sh" "$root/init"
cp "$here/../helper_requests.sh" "$root/helper_requests.sh"
printf 'root:x:0:0::/:/bin/sh\nuser:x:1000:1000::/tmp:/bin/sh\n' >"$root/etc/passwd"
printf 'root:x:0:\nuser:x:1000:\n' >"$root/etc/group"

copy_with_libraries() {  # FILE DESTINATION
  cp "$1" "$root$2"
  ldd "$1" | grep -o '/[^ ]*' | while read -r lib; do
    mkdir -p "$root$(dirname "$lib")"
    cp -L "$lib" "$root$lib"
  done
}
copy_with_libraries "$cli" /opt/halvoric/halvoric-cli
copy_with_libraries "$helper" /opt/halvoric/halvoric-ata
copy_with_libraries "$cli" /opt/limited/halvoric-cli
copy_with_libraries "$(command -v setcap)" /sbin/setcap
copy_with_libraries "$smartctl" /sbin/smartctl
# Both read the same drive database, where it is installed.
for db in /usr/share/smartmontools/drivedb.h /var/lib/smartmontools/drivedb/drivedb.h; do
  [ -r "$db" ] && mkdir -p "$root$(dirname "$db")" && cp "$db" "$root$db"
done

for module in ahci sd_mod sg nvme drivetemp; do
  modprobe -S "$version" --show-depends "$module" 2>/dev/null || true
done | awk '$1 == "insmod" { print $2 }' | awk '!seen[$0]++' | while read -r ko; do
  cp "$ko" "$root/modules/"
  basename "$ko" >>"$root/modules/order"
done

(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) >"$tmp/initrd.gz"
truncate -s 64M "$tmp/sata.img" "$tmp/nvme.img"
other_disks=()
for port in 1 2 3 4 5; do
  # The size of the first: the kernel may name any of them sda. Sparse.
  truncate -s 64M "$tmp/sata$port.img"
  other_disks+=(-drive "if=none,id=sata$port,file=$tmp/sata$port.img,format=raw"
    -device "ide-hd,drive=sata$port,bus=ide.$port,model=HalVoric Emu Disk $((port + 1)),serial=${other_serials[port - 1]},ver=$sata_firmware")
done

qemu-system-x86_64 -machine q35 -accel tcg -m 512 -display none -monitor none -no-reboot \
  -kernel "$kernel" -initrd "$tmp/initrd.gz" -append "console=ttyS0 panic=-1 quiet" \
  -serial "file:$tmp/console.log" -serial "file:$tmp/out.txt" \
  -drive "if=none,id=sata,file=$tmp/sata.img,format=raw" \
  -device "ide-hd,drive=sata,bus=ide.0,model=$sata_model,serial=$sata_serial,ver=$sata_firmware" \
  "${other_disks[@]}" \
  -drive "if=none,id=nvme,file=$tmp/nvme.img,format=raw" \
  -device "nvme,drive=nvme,serial=$nvme_serial" &
qemu_pid=$!
for _ in $(seq 1200); do
  kill -0 "$qemu_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$qemu_pid" 2>/dev/null; then
  echo "FAIL: the VM did not power off within 120 s"
  tail -n 30 "$tmp/console.log"
  exit 1
fi
wait "$qemu_pid" || true
qemu_pid=""

[ -n "${HALVORIC_VM_KEEP:-}" ] && cp "$tmp/out.txt" "$tmp/console.log" "$HALVORIC_VM_KEEP/"
/usr/bin/python3 "$here/check_vm_rows.py" "$tmp/out.txt" "$here/../fixtures/qemu-sata" \
  "$sata_model" "$sata_serial" "$sata_firmware" "$nvme_serial" "$schema" "${other_serials[@]}" || {
  tail -n 30 "$tmp/console.log"
  exit 1
}
