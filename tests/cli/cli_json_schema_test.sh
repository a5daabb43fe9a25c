#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# halvoric-cli --json against the published schema: the shipped scenarios,
# drives that fail to read or cannot be opened, drives asleep, and documents
# the schema must refuse (stand-in numbers, an unread drive said to be OK).
# Usage: cli_json_schema_test.sh HALVORIC-CLI SCENARIOS SCHEMA CLI-JSON-DOC
set -u
cli=$1
scenarios=$2
schema=$3
doc=$4
here=$(dirname "$(realpath "$0")")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
/usr/bin/python3 -c 'import jsonschema' 2>/dev/null || {
  echo "FAIL: Debian's python3-jsonschema is missing (scripts/packages-test.txt)"
  exit 1
}

printf '[drive 0]\nfail = version enable identify read-data read-thresholds\n[drive 1]\nmodel = No tables\nfail = read-data\n[drive 2]\nmodel = No thresholds\nattribute = 5 value=90 worst=80 threshold=10 raw=3\nfail = read-thresholds\n' \
  >"$tmp/failing.scenario"
printf '[drive 0]\nmodel = Asleep\nattribute = 194 raw=30\npower = sleep\n[drive 1]\nmodel = Standing by\nattribute = 194 raw=31\npower = standby\n[drive 2]\nmodel = Cannot tell\nfail = power-check\n[drive 3]\nmodel = Suspended\nruntime-suspend = always\n[drive 4]\nmodel = Fifth\n' \
  >"$tmp/sleeping.scenario"

outputs=()
run() {  # NAME ARGS...: keeps the output; a crash or an exit other than 0, 2, 4 and 5 fails
  local name=$1
  shift
  "$cli" "$@" >"$tmp/$name.json" 2>"$tmp/$name.err"
  local code=$?
  if [ "$code" -ne 0 ] && [ "$code" -ne 2 ] && [ "$code" -ne 4 ] && [ "$code" -ne 5 ]; then
    echo "FAIL: $name exited with $code"
    cat "$tmp/$name.err"
    failures=$((failures + 1))
  fi
  [ -s "$tmp/$name.json" ] && outputs+=("$tmp/$name.json")
}

for scenario in "$scenarios/demo.scenario" "$scenarios/hot-drive.scenario" \
  "$scenarios/troubled.scenario" "$scenarios/fleet.scenario" "$tmp/failing.scenario" \
  "$tmp/sleeping.scenario"; do
  name=$(basename "$scenario" .scenario)
  run "$name-list" --scenario "$scenario" --json
  run "$name-power" --scenario "$scenario" --power --json
  for drive in 0 1 2 3 4; do
    run "$name-drive-$drive" --scenario "$scenario" --drive "$drive" --json
    run "$name-power-$drive" --scenario "$scenario" --power --drive "$drive" --json
  done
done
# Documents of every kind, each drive state: nothing may be left out unseen.
expect_output() {  # NAME
  [ -s "$tmp/$1.json" ] || {
    echo "FAIL: $1 printed no JSON"
    failures=$((failures + 1))
  }
}
for name in troubled-drive-2 failing-drive-0 failing-drive-1 failing-drive-2 sleeping-drive-0 \
  demo-drive-3 failing-list sleeping-power fleet-drive-3; do
  expect_output "$name"
done

/usr/bin/python3 "$here/check_cli_json.py" "$schema" --documented-in "$doc" "${outputs[@]}" ||
  failures=$((failures + 1))

# What the JSON must say about each kind of drive, beyond its shape.
/usr/bin/python3 - "$tmp" <<'PYTHON' || failures=$((failures + 1))
import json, sys
tmp = sys.argv[1]
load = lambda name: json.load(open(f"{tmp}/{name}.json"))
failures = []
def check(what, got, wanted):
    if got != wanted:
        failures.append(f"{what}: got {got!r}, wanted {wanted!r}")

demo = load("demo-list")["drives"]
check("demo: temperatures", [d["temperature"]["current"] for d in demo], [34, 41, 38, None])
check("demo: padding removed", demo[0]["model_name"], "Halvoric Demo SSD 500GB")
check("locked drive listed unread", load("troubled-list")["drives"][2]["smart_read_error"],
      "cannot be opened: Permission denied")
sleeping = load("sleeping-list")["drives"]
# The list is the user's own read: a runtime-suspended drive is read (and
# so resumed); --power leaves it unopened.
check("power mode before the read", [d["power_mode"] for d in sleeping],
      ["sleep", "standby", "unknown", "active", "active"])
check("sleeping drives are still read", [d["temperature"]["current"] for d in sleeping],
      [30, 31, None, None, None])
check("power modes without a read", [d["power_mode"] for d in load("sleeping-power")["drives"]],
      ["sleep", "standby", "unknown", "standby", "active"])
for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
PYTHON

# Documents the schema must refuse: each is a valid output with one fault.
mutate() {  # NAME SOURCE PYTHON-EXPRESSION-ON-d
  /usr/bin/python3 -c "import json,sys; d=json.load(open(sys.argv[1])); $3; json.dump(d, open(sys.argv[2], 'w'))" \
    "$tmp/$2.json" "$tmp/bad-$1.json"
  refused+=("$tmp/bad-$1.json")
}
refused=()
mutate sentinel-temperature demo-list 'd["drives"][3]["temperature"]["current"] = -9999'
mutate sentinel-threshold demo-drive-0 'd["ata_smart_attributes"]["table"][0]["thresh"] = -10000'
mutate unread-drive-ok troubled-list 'd["drives"][1]["drive_list_status"] = "OK"'
mutate unread-without-reason troubled-list 'd["drives"][1]["smart_read_error"] = None'
mutate read-with-reason demo-list 'd["drives"][0]["smart_read_error"] = "x"'
mutate unknown-key demo-list 'd["drives"][0]["status"] = "OK"'
mutate unknown-attribute-key demo-drive-0 'd["ata_smart_attributes"]["table"][0]["flags"] = 3'
mutate missing-version demo-power 'del d["json_format_version"]'
mutate next-major demo-power 'd["json_format_version"] = [2, 0]'
mutate blank-model demo-list 'd["drives"][0]["model_name"] = ""'
mutate power-in-record demo-drive-1 'd["power"] = "active"'
mutate old-format demo-power 'd["drives"] = [{"id": "0", "power": "active"}]'
/usr/bin/python3 "$here/check_cli_json.py" "$schema" --reject "${refused[@]}" ||
  failures=$((failures + 1))

[ "$failures" -eq 0 ] && echo "cli json schema: all checks passed"
exit "$failures"
