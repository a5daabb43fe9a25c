#!/usr/bin/env bash
# The installed metrics service: systemd accepts the units, the system user
# can be created, and the service keeps the
# helper's file capabilities working: no setting that implies
# NoNewPrivileges=, under which execve() grants no file capabilities.
# Usage: metrics_units_test.sh HALVORIC-CLI CONFIGURED-SERVICE SOURCE-DIR
set -u
cli=$1
service=$2
units=$3/packaging/systemd
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
