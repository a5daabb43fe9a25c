# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the VM test and the VM benchmark: what boots Debian's kernel
# under QEMU with a busybox initramfs of our making. The caller owns the
# temporary folder and kills $vm_qemu_pid, when set, on exit.

vm_qemu_pid=""

# Sets $vm_kernel and $vm_version, or exits 77 (skipped) without QEMU, a
# kernel image, busybox or the other TOOLs.
vm_require() {  # TOOL...
  vm_kernel=$(ls /boot/vmlinuz-* 2>/dev/null | sort -V | tail -n 1 || true)
  for tool in qemu-system-x86_64 cpio "$@"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool missing"; exit 77; }
  done
  [ -n "$vm_kernel" ] && [ -r "$vm_kernel" ] || { echo "skipped: no readable /boot/vmlinuz-*"; exit 77; }
  [ -x /bin/busybox ] || { echo "skipped: busybox-static missing"; exit 77; }
  vm_version=${vm_kernel#/boot/vmlinuz-}
}

# A root with busybox, INIT as /init, root and one user.
vm_root() {  # ROOT INIT
  mkdir -p "$1"/{bin,sbin,proc,sys,dev,tmp,etc,modules,opt}
  cp /bin/busybox "$1/bin/busybox"
  cp "$2" "$1/init"
  printf 'root:x:0:0::/:/bin/sh\nuser:x:1000:1000::/tmp:/bin/sh\n' >"$1/etc/passwd"
  printf 'root:x:0:\nuser:x:1000:\n' >"$1/etc/group"
}

vm_copy_with_libraries() {  # ROOT FILE DESTINATION
  mkdir -p "$1$(dirname "$3")"
  cp "$2" "$1$3"
  ldd "$2" | grep -o '/[^ ]*' | while read -r lib; do
    mkdir -p "$1$(dirname "$lib")"
    cp -L "$lib" "$1$lib"
  done
}

# The drive database where it is installed, for smartctl and for us alike.
vm_drive_database() {  # ROOT
  for db in /usr/share/smartmontools/drivedb.h /var/lib/smartmontools/drivedb/drivedb.h; do
    if [ -r "$db" ]; then
      mkdir -p "$1$(dirname "$db")"
      cp "$db" "$1$db"
    fi
  done
}

# The kernel modules with what they need, in the order to load them
# (/modules/order).
vm_modules() {  # ROOT MODULE...
  local root=$1
  shift
  for module in "$@"; do
    modprobe -S "$vm_version" --show-depends "$module" 2>/dev/null || true
  done | awk '$1 == "insmod" { print $2 }' | awk '!seen[$0]++' | while read -r ko; do
    cp "$ko" "$root/modules/"
    basename "$ko" >>"$root/modules/order"
  done
}

# Boots ROOT's initramfs with the QEMU ARGs; the kernel's messages go to
# OUT/console.log, the second serial port's bytes to OUT/out.txt. Fails when
# the VM has not powered off within SECONDS.
vm_boot() {  # ROOT OUT SECONDS ARG...
  local root=$1 out=$2 seconds=$3
  shift 3
  (cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) >"$out/initrd.gz"
  qemu-system-x86_64 -machine q35 -accel tcg -m 512 -display none -monitor none -no-reboot \
    -kernel "$vm_kernel" -initrd "$out/initrd.gz" -append "console=ttyS0 panic=-1 quiet" \
    -serial "file:$out/console.log" -serial "file:$out/out.txt" "$@" &
  vm_qemu_pid=$!
  for _ in $(seq $((seconds * 10))); do
    kill -0 "$vm_qemu_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$vm_qemu_pid" 2>/dev/null; then
    echo "FAIL: the VM did not power off within $seconds s"
    tail -n 30 "$out/console.log"
    return 1
  fi
  wait "$vm_qemu_pid" || true
  vm_qemu_pid=""
}
