#!/usr/bin/env bash
# Installs the Debian 12 packages Halvoric needs to build and test. Skips apt
# entirely when everything is already there, so repeated runs are quick.
set -euo pipefail

packages=(
  qemu-system-x86 qemu-utils linux-image-amd64 busybox-static cpio kmod libcap2-bin
  build-essential cmake ninja-build pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  libcurl4-openssl-dev python3-aiosmtpd libcanberra-dev sox python3-dbusmock
  dbus-daemon dbus-bin desktop-file-utils qt6-base-dev
  xvfb trayer xdotool x11-utils imagemagick fonts-dejavu-core time procps
  rsyslog util-linux libxml2-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
