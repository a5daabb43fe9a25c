#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, as a user meets it: built by scripts/package.sh, free of
# lintian errors and warnings, installed with apt-get, working (the CLI, the
# helper's capabilities, the menu entry, the demo scenario's drives, "Help
# and Manual" and an alert mail, which find the manual in /usr/share/halvoric
# and the mail library in /usr/lib/halvoric), upgraded without overriding the
# administrator's choice on the helper's capabilities, and purged without
# leaving a file behind, the metrics service's file included. Then the post-install step on a file
# system that cannot hold capabilities: it still succeeds and says what that
# means.
# Installs into this machine's /usr, so runs only as root.
# Usage: package_test.sh BUILD_DIRECTORY CAPABILITIES [cmake option...]
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
build=$1
capabilities=$2
shift 2

[ "$(id -u)" -eq 0 ] || { echo "skipped: installing a package needs root"; exit 77; }
for tool in apt-get dpkg-deb lintian getcap desktop-file-validate Xvfb xdpyinfo xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
if dpkg-query -W -f='${Status}' halvoric 2>/dev/null | grep -q installed; then
  echo "skipped: halvoric is installed here, and the test would purge it"
  exit 77
fi
/usr/bin/python3 -c 'import aiosmtpd' 2>/dev/null || { echo "skipped: no python3-aiosmtpd"; exit 77; }
source "$source/scripts/lib/rig.sh"

work=$(mktemp -d)
ramfs=""
made_textfiles=""
made_etc=""
cleanup() {
  rig_stop_all
  rm -f /etc/halvoric/no-helper-capabilities
  [ -z "$made_etc" ] || rmdir "$made_etc" 2>/dev/null || true
  [ -z "$made_textfiles" ] || rm -rf "$made_textfiles"
  if dpkg-query -W -f='${Status}' halvoric 2>/dev/null | grep -q installed; then
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq halvoric >/dev/null 2>&1 || true
  fi
  [ -z "$ramfs" ] || umount "$ramfs" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

package=$("$source/scripts/package.sh" "$build" "$@" | tail -n 1)
case "$(basename "$package")" in
  halvoric_*_amd64.deb) ;;
  *) fail "package named $(basename "$package")" ;;
esac

lintian --fail-on error,warning --tag-display-limit 0 "$package" ||
  fail "lintian reports errors or warnings"

# Qt from the library scan, libcanberra by hand: it is loaded at the first sound.
for library in libqt6widgets6 libcanberra0; do
  dpkg-deb -f "$package" Depends | grep -q "$library" ||
    fail "Depends has no $library: $(dpkg-deb -f "$package" Depends)"
done
dpkg-deb -f "$package" Suggests | grep -qx smartmontools ||
  fail "Suggests is not smartmontools: $(dpkg-deb -f "$package" Suggests)"

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$package" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; fail "apt-get install"; }
! grep -q "has no capabilities" "$work/install.log" ||
  { cat "$work/install.log"; fail "the post-install step could not set the capabilities"; }

/usr/bin/halvoric-cli --help | grep -q -- '--scenario' || fail "halvoric-cli --help"

# getcap prints the capabilities in the kernel's order; compare as sets.
sorted() { tr ',' '\n' | sort | paste -sd, -; }
given=$(getcap /usr/bin/halvoric-ata | sed -E 's/^[^ ]+ //')
[ "$(sorted <<<"${given%=*}")=${given##*=}" = "$(sorted <<<"${capabilities%+*}")=${capabilities##*+}" ] ||
  fail "halvoric-ata has '$given', not $capabilities"

# The administrator's choice holds: an upgrade keeps the helper's
# capabilities, and gives none back where they were taken (setcap -r); the
# opt-out file keeps the helper without them across a purge and a new
# install, and the helper stays so once the file is gone.
capabilities_after() {  # COMMAND...: the helper's capabilities after it ran
  DEBIAN_FRONTEND=noninteractive "$@" >"$work/reinstall.log" 2>&1 ||
    { cat "$work/reinstall.log"; fail "$*"; }
  getcap /usr/bin/halvoric-ata
}
[ -n "$(capabilities_after dpkg -i "$package")" ] || fail "an upgrade took the helper's capabilities"
setcap -r /usr/bin/halvoric-ata
[ -z "$(capabilities_after dpkg -i "$package")" ] ||
  fail "an upgrade gave back the capabilities the administrator took"
grep -q "had no capabilities before this upgrade" "$work/reinstall.log" ||
  { cat "$work/reinstall.log"; fail "the upgrade did not say why the helper has no capabilities"; }
[ ! -e /var/lib/halvoric ] || fail "the upgrade left its note in /var/lib/halvoric"
[ -d /etc/halvoric ] || made_etc=/etc/halvoric
mkdir -p /etc/halvoric
: >/etc/halvoric/no-helper-capabilities
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq halvoric >/dev/null 2>&1 || fail "apt-get purge"
[ -z "$(capabilities_after apt-get install -y -qq "$package")" ] ||
  fail "a new install gave the helper capabilities despite /etc/halvoric/no-helper-capabilities"
grep -q "no-helper-capabilities is there" "$work/reinstall.log" ||
  { cat "$work/reinstall.log"; fail "the install did not name the opt-out file"; }
rm /etc/halvoric/no-helper-capabilities
[ -z "$(capabilities_after dpkg -i "$package")" ] ||
  fail "an upgrade gave capabilities to a helper kept without them"

entry=/usr/share/applications/halvoric.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
grep -qx 'Exec="/usr/bin/halvoric" --user-settings' "$entry" || fail "$entry: $(grep Exec "$entry")"
[ -x /usr/bin/halvoric ] && [ -f /usr/share/icons/hicolor/16x16/apps/halvoric.png ] ||
  fail "the menu entry's program or icon is missing"

# The installed tool and scenario list the same drives as the package's own
# build does on the source's scenario.
scenario=/usr/share/halvoric/scenarios/demo.scenario
# The demo has a drive that reads WARN: exit status 5.
status=0
/usr/bin/halvoric-cli --scenario "$scenario" >"$work/installed.txt" || status=$?
[ "$status" -eq 5 ] || fail "halvoric-cli --scenario $scenario exited with $status"
"$build/bin/halvoric-cli" --scenario "$source/scenarios/demo.scenario" >"$work/built.txt" || true
diff "$work/built.txt" "$work/installed.txt" || fail "the installed tool lists other drives"
grep -q 'Halvoric Demo SSD 500GB' "$work/installed.txt" || fail "no demo drive listed"

private=/usr/lib/halvoric
for program in /usr/bin/halvoric /usr/bin/halvoric-demo /usr/bin/halvoric-cli /usr/bin/halvoric-ata \
  "$private/libhalvoric-sendmail.so" "$private/libhalvoric-history.so"; do
  ! ldd "$program" | grep -q 'not found' || fail "$program: $(ldd "$program" | grep 'not found')"
done

# The installed demo on a drive hotter than the critical temperature, under
# a private X display without a window manager (the window at 0,0): "Help
# and Manual" hands the desktop the manual's address (a stand-in xdg-open
# writes it down), and the first check, 30 s after the start, mails a
# server on loopback through the library.
start_xvfb 800x640x24
mkdir -p "$work/bin" "$work/run" "$work/config/halvoric" "$work/runtime"
chmod 700 "$work/runtime"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >>"%s/opened"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
/usr/bin/python3 -m aiosmtpd -n -l "127.0.0.1:$port" -c aiosmtpd.handlers.Mailbox "$work/maildir" \
  >"$work/smtp.log" 2>&1 &
rig_track $!
wait_for "/usr/bin/python3 -c 'import socket; socket.create_connection((\"127.0.0.1\", $port))' 2>/dev/null" 100 ||
  { cat "$work/smtp.log"; fail "the mail server did not start"; }
printf 'url=smtp://127.0.0.1:%s\ntimeout=10\n' "$port" >"$work/config/halvoric/mail.conf"
chmod 600 "$work/config/halvoric/mail.conf"
printf '%s\n' "<?xml version='1.0' encoding='UTF-8' ?>" "<Tessivar>" "<TempWarn>-1</TempWarn>" \
  "<Temp>40</Temp>" "<EmailNotification>-1</EmailNotification>" \
  "<EmailAddr>admin@example.org</EmailAddr>" "</Tessivar>" >"$work/run/config.xml"
printf '%s\n' "[drive 0]" "model = Package Test Drive" "serial = PKG0001" "firmware = 1.0" \
  "attribute = 194 flags=0x0022 value=100 worst=100 threshold=0" "temperature = 60" \
  >"$work/hot.scenario"
(cd "$work/run" && PATH="$work/bin:$PATH" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
  DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent" exec /usr/bin/halvoric-demo "$work/hot.scenario" \
  >"$work/demo.log" 2>&1) &
rig_track $!
wait_for 'xdotool search --onlyvisible --name "^Halvoric\$" >/dev/null 2>&1' 150 ||
  { cat "$work/demo.log"; fail "the installed demo showed no window"; }
window=$(xdotool search --onlyvisible --name '^Halvoric$' | head -1)
# "Help and Manual"; again if a busy machine's first click came too early.
for _ in 1 2 3; do
  xdotool mousemove --window "$window" 470 495 click 1
  wait_for '[ -s "$work/opened" ]' 50 && break
done
[ -s "$work/opened" ] || fail "Help and Manual opened nothing"
[ "$(head -1 "$work/opened")" = "file:///usr/share/halvoric/help.html" ] ||
  fail "Help and Manual opened $(head -1 "$work/opened"), not /usr/share/halvoric/help.html"
wait_for '[ -n "$(ls "$work/maildir/new" 2>/dev/null)" ]' 600 ||
  { cat "$work/demo.log" "$work/smtp.log"; fail "no alert mail arrived"; }
grep -q '^To:.*admin@example.org' "$work/maildir/new/"* || fail "the mail went elsewhere"
rig_stop_all
rig_pids=()

dpkg -L halvoric >"$work/files.txt"
# The programs alone are in /usr/bin; their library is in $private.
[ "$(grep '^/usr/bin/.' "$work/files.txt" | sort | paste -sd' ')" = \
  "/usr/bin/halvoric /usr/bin/halvoric-ata /usr/bin/halvoric-cli /usr/bin/halvoric-demo" ] ||
  fail "/usr/bin holds more than the programs: $(grep '^/usr/bin/.' "$work/files.txt")"
for file in /usr/bin/halvoric /usr/bin/halvoric-demo /usr/bin/halvoric-cli /usr/bin/halvoric-ata \
  "$private/libhalvoric-sendmail.so" "$private/libhalvoric-history.so" /usr/share/halvoric/help.html "$scenario" "$entry" \
  /usr/share/icons/hicolor/16x16/apps/halvoric.png /usr/share/man/man1/halvoric.1.gz \
  /usr/share/man/man1/halvoric-demo.1.gz /usr/share/man/man1/halvoric-cli.1.gz \
  /usr/share/man/man8/halvoric-ata.8.gz /usr/share/doc/halvoric/copyright \
  /usr/share/doc/halvoric/changelog.gz /usr/share/doc/halvoric/fleet.md.gz \
  /lib/systemd/system/halvoric-metrics.service /lib/systemd/system/halvoric-metrics.timer \
  /usr/lib/sysusers.d/halvoric-metrics.conf \
  /usr/share/halvoric/prometheus/halvoric.rules.yml /usr/share/halvoric/grafana/halvoric-drives.json; do
  grep -qx "$file" "$work/files.txt" || fail "the package lacks $file"
done
# The metrics service's file goes with the package, and node_exporter's
# folder stays for node_exporter.
textfiles=/var/lib/prometheus/node-exporter
for dir in /var/lib/prometheus "$textfiles"; do
  [ -d "$dir" ] || made_textfiles=${made_textfiles:-$dir}
done
mkdir -p "$textfiles"
echo 'halvoric_drives_read 1' >"$textfiles/halvoric.prom"
# The metrics user and its right on the folder, as docs/fleet.md sets them up.
systemd-sysusers halvoric-metrics.conf
setfacl -m u:halvoric-metrics:rwx "$textfiles"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq halvoric >/dev/null 2>&1 || fail "apt-get purge"
[ ! -e "$textfiles/halvoric.prom" ] || fail "the purge left $textfiles/halvoric.prom"
! getfacl -p "$textfiles" 2>/dev/null | grep -q '^user:halvoric-metrics' ||
  fail "the purge left halvoric-metrics's right on $textfiles"
[ -d "$textfiles" ] || fail "the purge took node_exporter's $textfiles"
left=0
while IFS= read -r path; do
  [ -e "$path" ] || [ -L "$path" ] || continue
  # A shared folder such as /usr/bin stays for its other packages.
  if [ -d "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1; then continue; fi
  echo "left behind: $path"
  left=1
done <"$work/files.txt"
[ "$left" -eq 0 ] || fail "the purge left files of the package"

# The post-install step on a file system without security extended
# attributes: ramfs refuses them. Where mounting is not allowed, a setcap
# that fails as it would there stands in.
dpkg-deb -e "$package" "$work/control"
root="$work/root"
mkdir -p "$root"
path=$PATH
if mount -t ramfs ramfs "$root" 2>/dev/null; then
  ramfs=$root
else
  mkdir -p "$work/stub"
  printf '#!/bin/sh\necho "Failed to set capabilities on file '\''$2'\'' (Operation not supported)" >&2\nexit 1\n' \
    >"$work/stub/setcap"
  chmod +x "$work/stub/setcap"
  path="$work/stub:$PATH"
fi
mkdir -p "$root/usr/bin"
cp "$build/bin/halvoric-ata" "$root/usr/bin/"
DPKG_ROOT=$root PATH=$path sh "$work/control/postinst" configure >"$work/postinst.out" 2>&1 ||
  { cat "$work/postinst.out"; fail "the post-install step failed without capability support"; }
cat "$work/postinst.out"
for said in "$root/usr/bin/halvoric-ata has no capabilities" "Operation not supported" \
  "model, serial number, firmware and temperature" "need root" "setcap $capabilities"; do
  tr '\n' ' ' <"$work/postinst.out" | tr -s ' ' | grep -qF "$said" ||
    fail "the post-install step did not say: $said"
done
[ -z "$(getcap "$root/usr/bin/halvoric-ata")" ] || fail "capabilities on a file system that has none"
echo "package: $(basename "$package") built, free of lintian errors and warnings, installed, purged"
