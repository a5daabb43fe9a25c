#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed metrics service: systemd accepts the units, the system user
# can be created, and the service keeps the
# helper's file capabilities working: no setting that implies
# NoNewPrivileges=, under which execve() grants no file capabilities, and a
# bounding set holding exactly the helper's. Its sandbox is no weaker than
# the exposure docs/fleet.md gives.
# Usage: metrics_units_test.sh HALVORIC-CLI CONFIGURED-SERVICE SOURCE-DIR CAPABILITIES
set -u
cli=$1
service=$2
units=$3/packaging/systemd
fleet=$3/docs/fleet.md
capabilities=$4
for program in systemd-analyze systemd-sysusers; do
  command -v "$program" >/dev/null || { echo "FAIL: $program is missing (Debian systemd)"; exit 1; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Verified as installed, with the program this build made.
sed "s#^ExecStart=[^ ]*#ExecStart=$cli#" "$service" >"$tmp/halvoric-metrics.service"
cp "$units/halvoric-metrics.timer" "$tmp/"
systemd-analyze verify --man=no "$tmp/halvoric-metrics.service" "$tmp/halvoric-metrics.timer" ||
  fail "systemd-analyze verify"
grep -q '^ExecStart=.*--prometheus /var/lib/prometheus/node-exporter/' "$service" ||
  fail "the service does not write into node_exporter's folder"
for setting in DynamicUser LockPersonality MemoryDenyWriteExecute PrivateDevices ProtectClock \
  ProtectHostname ProtectKernelLogs ProtectKernelModules ProtectKernelTunables \
  RestrictAddressFamilies RestrictNamespaces RestrictRealtime RestrictSUIDSGID \
  SystemCallArchitectures SystemCallFilter SystemCallLog NoNewPrivileges; do
  ! grep -q "^$setting=" "$service" || fail "$setting= would void halvoric-ata's capabilities"
done
for setting in ProtectControlGroups=yes ProtectProc=invisible RemoveIPC=yes PrivateIPC=yes; do
  grep -qx "$setting" "$service" || fail "the service lacks $setting"
done
bounding=$(sed -n 's/^CapabilityBoundingSet=//p' "$service" | tr ' ' '\n' | sort | paste -sd' ')
wanted=$(tr ',' '\n' <<<"${capabilities%+*}" | tr '[:lower:]' '[:upper:]' | sort | paste -sd' ')
[ "$bounding" = "$wanted" ] || fail "the bounding set is '$bounding', not the helper's '$wanted'"
exposure=$(systemd-analyze security --offline=yes "$tmp/halvoric-metrics.service" 2>/dev/null |
  sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p')
documented=$(sed -n 's/.*exposure level of \([0-9.]*\).*/\1/p' "$fleet" | head -1)
[ -n "$exposure" ] && [ -n "$documented" ] && awk "BEGIN { exit !($exposure <= $documented) }" ||
  fail "systemd-analyze security gives exposure '$exposure'; docs/fleet.md says '$documented'"
grep -q '^WantedBy=timers.target' "$units/halvoric-metrics.timer" || fail "the timer has no install target"
grep -q '^OnUnitActiveSec=5min' "$units/halvoric-metrics.timer" || fail "the timer is not every 5 minutes"

root=$tmp/root
mkdir -p "$root/etc" "$root/var/lib/prometheus/node-exporter"
systemd-sysusers --root="$root" "$units/halvoric-metrics.sysusers" >/dev/null 2>&1 ||
  fail "systemd-sysusers"
user=$(grep '^halvoric-metrics:' "$root/etc/passwd")
uid=$(echo "$user" | cut -d: -f3)
[ -n "$uid" ] && [ "$uid" -lt 1000 ] || fail "no system user: '$user'"
[[ "$user" == *:/usr/sbin/nologin ]] || fail "the user can log in: $user"
[ "$failures" -eq 0 ] && echo "metrics_units_test: all passed"
exit $((failures > 0))
