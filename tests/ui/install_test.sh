#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `cmake --install` into a scratch root: the programs and the drive helper
# (with its capabilities when run as root) side by side in bin/, the mail
# library in the private lib/halvoric/, the manual and the demo scenario in
# share/halvoric/, the JSON Schema of halvoric-cli --json, the man
# pages, and a valid desktop entry with its icon.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
command -v desktop-file-validate >/dev/null || { echo "SKIP: desktop-file-validate missing"; exit 77; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

DESTDIR=$root cmake --install "$build" --prefix /usr/local >"$root.log" 2>&1 ||
  { cat "$root.log"; rm -f "$root.log"; exit 1; }
rm -f "$root.log"

failures=0
for file in bin/halvoric bin/halvoric-demo bin/halvoric-cli bin/halvoric-ata \
  lib/halvoric/libhalvoric-sendmail.so lib/halvoric/libhalvoric-history.so share/halvoric/help.html share/halvoric/scenarios/demo.scenario \
  share/halvoric/halvoric-cli.schema.json \
  share/applications/halvoric.desktop share/icons/hicolor/16x16/apps/halvoric.png \
  share/man/man1/halvoric.1.gz share/man/man1/halvoric-demo.1.gz share/man/man1/halvoric-cli.1.gz \
  share/man/man8/halvoric-ata.8.gz; do
  [ -e "$root/usr/local/$file" ] || { echo "FAIL: $file not installed"; failures=$((failures + 1)); }
done
programs=$(cd "$root/usr/local/bin" && ls | paste -sd' ')
[ "$programs" = "halvoric halvoric-ata halvoric-cli halvoric-demo" ] ||
  { echo "FAIL: bin/ holds $programs"; failures=$((failures + 1)); }
entry=$root/usr/local/share/applications/halvoric.desktop
if [ -e "$entry" ]; then
  desktop-file-validate "$entry" || failures=$((failures + 1))
  grep -qx 'Exec="/usr/local/bin/halvoric" --user-settings' "$entry" ||
    { echo "FAIL: Exec does not name the installed program"; failures=$((failures + 1)); }
fi
# As root the install step gives the helper its capabilities itself.
helper=$root/usr/local/bin/halvoric-ata
if [ "$(id -u)" -eq 0 ] && command -v getcap >/dev/null && [ -e "$helper" ]; then
  capabilities=$(getcap "$helper")
  [ "${capabilities#"$helper" }" = "cap_dac_read_search,cap_sys_rawio,cap_sys_admin=p" ] ||
    { echo "FAIL: helper capabilities: $capabilities"; failures=$((failures + 1)); }
fi
[ "$failures" -eq 0 ] && echo "install: all files in place"
exit "$failures"
