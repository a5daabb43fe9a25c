#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window's system log, received by a real rsyslogd: the probe writes
# through TEventLogWriter and SyslogSystemLog, in a private mount namespace
# whose /dev/log is the socket of an rsyslogd started here on its own
# configuration. The records that reach rsyslogd's output file must carry the
# identifier "Tessivar", facility user, severity info and the text unchanged.
# Usage: system_log_test.sh SYSLOG_PROBE
set -euo pipefail

probe=$1
for tool in rsyslogd unshare mount; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
if ! unshare --mount true 2>/dev/null; then
  echo "SKIP: cannot create a private mount namespace (needs root or CAP_SYS_ADMIN)"
  exit 77
fi

dir=$(mktemp -d)
rsyslogd_pid=""
cleanup() {
  if [ -n "$rsyslogd_pid" ]; then
    kill "$rsyslogd_pid" 2>/dev/null || true
    wait "$rsyslogd_pid" 2>/dev/null || true
  fi
  # The namespace's mounts died with it; --one-file-system guards the
  # machine's /dev should one have survived.
  rm -rf --one-file-system "$dir"
}
trap cleanup EXIT

source "$(dirname "$0")/../../scripts/lib/rig.sh"  # wait_for

mkdir "$dir/work" "$dir/dev"
# No system socket, no kernel log: this rsyslogd hears only its own socket.
cat >"$dir/rsyslog.conf" <<CONF
global(workDirectory="$dir/work")
module(load="imuxsock" SysSock.Use="off")
input(type="imuxsock" Socket="$dir/log.sock" RateLimit.Interval="0")
template(name="record" type="string"
         string="%syslogfacility-text%.%syslogseverity-text% %programname%:%msg%\n")
*.* action(type="omfile" file="$dir/received.log" template="record")
CONF
rsyslogd -n -f "$dir/rsyslog.conf" -i "$dir/rsyslogd.pid" >"$dir/rsyslogd.out" 2>&1 &
rsyslogd_pid=$!
wait_for '[ -S "$dir/log.sock" ]' 100 || { cat "$dir/rsyslogd.out"; exit 1; }

# A /dev of its own: the few nodes a program needs, and the socket as /dev/log.
unshare --mount -- /bin/sh -c '
  set -e
  dir=$1
  probe=$2
  mount -t tmpfs -o mode=755 tmpfs "$dir/dev"
  for node in null zero full random urandom; do
    touch "$dir/dev/$node"
    mount --bind "/dev/$node" "$dir/dev/$node"
  done
  touch "$dir/dev/log"
  mount --bind "$dir/log.sock" "$dir/dev/log"
  mount --move "$dir/dev" /dev
  exec "$probe"
' sh "$dir" "$probe"

# glibc puts one leading blank before the text; the template keeps it after
# the colon.
printf '%s\n' \
  'user.info Tessivar: Halvoric Started !' \
  'user.info Tessivar: CHANGED max temperature: 55°' \
  'user.info Tessivar: load 100% %s %d %n' >"$dir/expected.log"
wait_for '[ "$(grep -c " Tessivar:" "$dir/received.log" 2>/dev/null)" = 3 ]' 100 || true
grep ' Tessivar:' "$dir/received.log" >"$dir/tessivar.log" || true
if ! diff -u "$dir/expected.log" "$dir/tessivar.log" ||
  grep -q 'written before registration' "$dir/received.log"; then
  echo "rsyslogd received:"
  cat "$dir/received.log" 2>/dev/null || true
  exit 1
fi
echo "system log check passed"
