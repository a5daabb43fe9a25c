#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# halvoric-cli end to end over the shipped scenarios: output, exit codes, errors.
set -u
cli=$1
scenarios=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

check() {  # NAME EXPECTED_EXIT PATTERN_IN_OUTPUT ARGS...
  local name=$1 expected=$2 pattern=$3
  shift 3
  "$cli" "$@" >"$tmp/out" 2>"$tmp/err"
  local code=$?
  if [ "$code" -ne "$expected" ] || ! grep -qF -- "$pattern" "$tmp/out" "$tmp/err"; then
    echo "FAIL: $name (exit $code, wanted $expected and '$pattern')"
    cat "$tmp/out" "$tmp/err"
    failures=$((failures + 1))
  fi
}

printf '# no drive at all\n' >"$tmp/none.scenario"
printf '[drive 7]\nmodel = Beyond the fourth\n' >"$tmp/seventh.scenario"
for n in 0 1 2 3 4 5; do printf '[drive %s]\nmodel = Disk %s\n' "$n" "$n"; done >"$tmp/six.scenario"
printf '[drive 0]\nmodel = x\nbogus = 1\n' >"$tmp/bad.scenario"
printf '[drive 0]\nfail = version enable identify read-data read-thresholds\n' >"$tmp/mute.scenario"
printf '[drive 0]\npower = standby\n[drive 1]\n[drive 2]\npower = sleep\n[drive 3]\nfail = power-check\n[drive 4]\nruntime-suspend = always\n' \
  >"$tmp/power.scenario"

# Models holding C1 controls and bidirectional marks, embeddings, overrides
# and isolates: a terminal shows none of them, JSON carries them escaped.
printf '[drive 0]\nmodel = "A\xc2\x9b\xe2\x80\xaa\xe2\x80\xab\xe2\x80\xac\xe2\x80\xad\xe2\x80\xaeZ"\n[drive 1]\nmodel = B\xe2\x81\xa6\xe2\x81\xa7\xe2\x81\xa8\xe2\x81\xa9\xe2\x80\x8e\xe2\x80\x8f\xd8\x9cY\n' \
  >"$tmp/steering.scenario"
steering=('c2 9b' 'e2 80 aa' 'e2 80 ab' 'e2 80 ac' 'e2 80 ad' 'e2 80 ae' 'e2 81 a6' 'e2 81 a7'
  'e2 81 a8' 'e2 81 a9' 'e2 80 8e' 'e2 80 8f' 'd8 9c')

check "list" 5 "1   Halvoric Demo HDD 2TB" --scenario "$scenarios/demo.scenario"
check "warning and its reasons" 5 "WARN  5120 reallocated sectors, Airflow Temperature failed in the past, 8 pending sectors" \
  --scenario "$scenarios/demo.scenario"
check "list json" 5 '"temperature": {"current": 34,' --scenario "$scenarios/demo.scenario" --json
check "details" 0 "C2  Temperature" --scenario "$scenarios/demo.scenario" --drive 1
check "self-test log" 0 "#1   Extended offline     Completed: read failure" \
  --scenario "$scenarios/troubled.scenario" --drive 0
check "error log" 0 "Error 2 at 20500 hours: UNC at LBA 1002 (error 0x40, status 0x51)" \
  --scenario "$scenarios/troubled.scenario" --drive 0
check "self-test json" 0 '"lba": 4660' --scenario "$scenarios/troubled.scenario" --drive 0 --json
check "self-test started" 0 "Short self-test started on drive 0; it takes about 2 minutes." \
  --scenario "$scenarios/troubled.scenario" --self-test short --drive 0
check "self-test unsupported" 6 "drive 0 does not run conveyance self-tests" \
  --scenario "$scenarios/troubled.scenario" --self-test conveyance --drive 0
check "nothing to abort" 6 "no self-test runs on drive 0" \
  --scenario "$scenarios/troubled.scenario" --self-test abort --drive 0
check "self-test without a drive" 1 "--self-test needs --drive N" \
  --scenario "$scenarios/troubled.scenario" --self-test short
check "self-test kind" 1 "--self-test takes short, extended, conveyance or abort" --self-test long --drive 0
check "drive's own limits" 0 "Critical temperature      60°C" --scenario "$scenarios/demo.scenario" \
  --drive 1
check "details json" 0 '{"name": "Drive/Head", "value": "176"}' \
  --scenario "$scenarios/demo.scenario" --drive 1 --json
check "no drive" 2 "ID  Model" --scenario "$tmp/none.scenario"
check "drive past the fourth" 0 "7   Beyond the fourth" --scenario "$tmp/seventh.scenario"
check "six drives" 0 "5   Disk 5" --scenario "$tmp/six.scenario"
check "six drives in JSON" 0 '"drive_number": 5,' --scenario "$tmp/six.scenario" --json
check "absent drive" 2 "drive 3 could not be read" --scenario "$scenarios/hot-drive.scenario" --drive 3
check "permission" 4 "drive 2 cannot be opened: Permission denied" \
  --scenario "$scenarios/troubled.scenario"
check "locked drive listed by the kernel's model" 4 "2   Halvoric Locked Disk                      N/A     N/A" \
  --scenario "$scenarios/troubled.scenario"
check "unread drive is no OK" 4 "1   Halvoric Mute Disk                        N/A     N/A" \
  --scenario "$scenarios/troubled.scenario"
check "mute drive listed" 2 "drive 0 did not answer IDENTIFY" --scenario "$tmp/mute.scenario"
check "nothing read" 2 "no drive could be read" --scenario "$tmp/mute.scenario"
check "mute drive details" 2 "drive 0 answered none of the commands" \
  --scenario "$tmp/mute.scenario" --drive 0
check "mute drive in JSON" 2 '"smart_read_error": "the drive answered neither IDENTIFY nor SMART READ DATA"' \
  --scenario "$tmp/mute.scenario" --json
check "locked drive in JSON" 4 '"smart_read_error": "cannot be opened: Permission denied"' \
  --scenario "$scenarios/troubled.scenario" --json
check "locked drive details in JSON" 2 '"smart_read_error": "cannot be opened: Permission denied"' \
  --scenario "$scenarios/troubled.scenario" --drive 2 --json
check "power" 0 "0   standby" --scenario "$tmp/power.scenario" --power
check "power json" 0 '{"drive_number": 2, "device_path": null, "power_mode": "sleep"}' \
  --scenario "$tmp/power.scenario" --power --json
# The whole output: drive 3 alone.
"$cli" --scenario "$tmp/power.scenario" --power --drive 3 --json >"$tmp/out"
if [ "$(cat "$tmp/out")" != $'{\n  "json_format_version": [1, 2],\n  "drives": [\n    {"drive_number": 3, "device_path": null, "power_mode": "unknown"}\n  ]\n}' ]; then
  echo "FAIL: power of one drive"
  cat "$tmp/out"
  failures=$((failures + 1))
fi
check "power of an active drive" 0 "1   active" --scenario "$tmp/power.scenario" --power
check "power of a runtime-suspended drive" 0 "4   standby" --scenario "$tmp/power.scenario" --power
check "power of an absent drive" 2 "drive 3 could not be read" \
  --scenario "$scenarios/hot-drive.scenario" --power --drive 3
check "power without drives" 2 "ID  Power" --scenario "$tmp/none.scenario" --power
check "steering characters as text" 0 "0   A??????Z" --scenario "$tmp/steering.scenario"
check "direction marks as text" 0 "1   B???????Y" --scenario "$tmp/steering.scenario"
check "steering characters in JSON" 0 '"model_name": "A??????Z"' \
  --scenario "$tmp/steering.scenario" --json
check "direction marks in JSON" 0 '"model_name": "B???????Y"' \
  --scenario "$tmp/steering.scenario" --json
check "steering characters in Disk Info" 0 "A??????Z" --scenario "$tmp/steering.scenario" --drive 0
for args in "" "--json" "--drive 0" "--drive 1 --json"; do
  # shellcheck disable=SC2086  # the options are words on purpose
  "$cli" --scenario "$tmp/steering.scenario" $args >"$tmp/out" 2>&1
  hex=" $(od -An -tx1 -v "$tmp/out" | tr -s ' \n' '  ') "
  for character in "${steering[@]}"; do
    if [[ $hex == *" $character "* ]]; then
      echo "FAIL: halvoric-cli $args printed the bytes $character"
      failures=$((failures + 1))
    fi
  done
done
check "scenario folder" 1 "not a regular file" --scenario "$tmp"
check "bad scenario" 1 "bad.scenario:3: unknown key 'bogus'" --scenario "$tmp/bad.scenario"
check "missing scenario" 1 "cannot open scenario file" --scenario "$tmp/missing"
check "bad option" 1 "unknown or incomplete option '--frobnicate'" --frobnicate
check "bad drive" 1 "--drive takes a drive number" --drive 1x
check "help" 0 "Exit status: 0 fine, 1 usage error, 2 no drive could be read" --help

[ "$failures" -eq 0 ] && echo "cli: all checks passed"
exit "$failures"
