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

source "$here/vm_boot.sh"
smartctl=$(command -v smartctl || true)
[ -n "$smartctl" ] || { echo "skipped: smartctl missing (Debian smartmontools)"; exit 77; }
vm_require setcap

# Odd lengths and mixed case: a byte-pair swap gone wrong shows at once.
sata_model="HalVoric Emu Disk 1"
sata_serial="SerX7aB9c"
sata_firmware="Fw2.5b1"
nvme_serial="NvMe5eR1x"
# The other five SATA disks, on ports 1 to 5.
other_serials=(SerPort1x SerPort2x SerPort3x SerPort4x SerPort5x)

tmp=$(mktemp -d)
cleanup() {
  [ -n "$vm_qemu_pid" ] && kill "$vm_qemu_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

root=$tmp/root
vm_root "$root" "$here/vm_init.sh"
mkdir -p "$root"/{opt/halvoric,opt/limited}
cp "$here/../helper_requests.sh" "$root/helper_requests.sh"
vm_copy_with_libraries "$root" "$cli" /opt/halvoric/halvoric-cli
vm_copy_with_libraries "$root" "$helper" /opt/halvoric/halvoric-ata
vm_copy_with_libraries "$root" "$cli" /opt/limited/halvoric-cli
vm_copy_with_libraries "$root" "$(command -v setcap)" /sbin/setcap
vm_copy_with_libraries "$root" "$smartctl" /sbin/smartctl
vm_drive_database "$root"
vm_modules "$root" ahci sd_mod sg nvme drivetemp

truncate -s 64M "$tmp/sata.img" "$tmp/nvme.img"
other_disks=()
for port in 1 2 3 4 5; do
  # The size of the first: the kernel may name any of them sda. Sparse.
  truncate -s 64M "$tmp/sata$port.img"
  other_disks+=(-drive "if=none,id=sata$port,file=$tmp/sata$port.img,format=raw"
    -device "ide-hd,drive=sata$port,bus=ide.$port,model=HalVoric Emu Disk $((port + 1)),serial=${other_serials[port - 1]},ver=$sata_firmware")
done

vm_boot "$root" "$tmp" 120 \
  -drive "if=none,id=sata,file=$tmp/sata.img,format=raw" \
  -device "ide-hd,drive=sata,bus=ide.0,model=$sata_model,serial=$sata_serial,ver=$sata_firmware" \
  "${other_disks[@]}" \
  -drive "if=none,id=nvme,file=$tmp/nvme.img,format=raw" \
  -device "nvme,drive=nvme,serial=$nvme_serial"

[ -n "${HALVORIC_VM_KEEP:-}" ] && cp "$tmp/out.txt" "$tmp/console.log" "$HALVORIC_VM_KEEP/"
/usr/bin/python3 "$here/check_vm_rows.py" "$tmp/out.txt" "$here/../fixtures/qemu-sata" \
  "$sata_model" "$sata_serial" "$sata_firmware" "$nvme_serial" "$schema" "${other_serials[@]}" || {
  tail -n 30 "$tmp/console.log"
  exit 1
}
