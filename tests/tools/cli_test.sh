#!/usr/bin/env bash
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

printf '[drive 7]\nmodel = Beyond the scan\n' >"$tmp/none.scenario"
printf '[drive 0]\nmodel = x\nbogus = 1\n' >"$tmp/bad.scenario"
printf '[drive 0]\nfail = version enable identify read-data read-thresholds\n' >"$tmp/mute.scenario"
printf '[drive 0]\npower = standby\n[drive 1]\n[drive 2]\npower = sleep\n[drive 3]\nfail = power-check\n' \
  >"$tmp/power.scenario"

check "list" 0 "1   Halvoric Demo HDD 2TB" --scenario "$scenarios/demo.scenario"
check "list json" 0 '"temp": "34°C"' --scenario "$scenarios/demo.scenario" --json
check "details" 0 "C2  Temperature" --scenario "$scenarios/demo.scenario" --drive 1
check "details json" 0 '{"name": "Drive/Head", "value": "176"}' \
  --scenario "$scenarios/demo.scenario" --drive 1 --json
check "no drive" 2 "ID  Model" --scenario "$tmp/none.scenario"
check "absent drive" 2 "drive 3 could not be read" --scenario "$scenarios/hot-drive.scenario" --drive 3
check "permission" 0 "drive 2 cannot be opened: Permission denied" \
  --scenario "$scenarios/troubled.scenario"
check "mute drive listed" 2 "drive 0 did not answer IDENTIFY" --scenario "$tmp/mute.scenario"
check "mute drive details" 2 "drive 0 answered none of the commands" \
  --scenario "$tmp/mute.scenario" --drive 0
check "power" 0 "0   standby" --scenario "$tmp/power.scenario" --power
check "power json" 0 '{"id": "2", "power": "sleep"}' --scenario "$tmp/power.scenario" --power --json
# The whole output: drive 3 alone.
"$cli" --scenario "$tmp/power.scenario" --power --drive 3 --json >"$tmp/out"
if [ "$(cat "$tmp/out")" != $'{"drives": [\n  {"id": "3", "power": "unknown"}\n]}' ]; then
  echo "FAIL: power of one drive"
  cat "$tmp/out"
  failures=$((failures + 1))
fi
check "power of an active drive" 0 "1   active" --scenario "$tmp/power.scenario" --power
check "power of an absent drive" 2 "drive 3 could not be read" \
  --scenario "$scenarios/hot-drive.scenario" --power --drive 3
check "power without drives" 2 "ID  Power" --scenario "$tmp/none.scenario" --power
check "scenario folder" 1 "not a regular file" --scenario "$tmp"
check "bad scenario" 1 "bad.scenario:3: unknown key 'bogus'" --scenario "$tmp/bad.scenario"
check "missing scenario" 1 "cannot open scenario file" --scenario "$tmp/missing"
check "bad option" 1 "unknown or incomplete option '--frobnicate'" --frobnicate
check "bad drive" 1 "--drive takes a drive number" --drive 1x
check "help" 0 "Exit status: 0 fine, 1 usage error, 2 no drive could be read" --help

[ "$failures" -eq 0 ] && echo "cli: all checks passed"
exit "$failures"
