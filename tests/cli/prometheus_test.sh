#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# halvoric-cli --prometheus against the real readers of its file: promtool's
# checks, node_exporter's textfile collector on a loopback port, a Prometheus
# server scraping that node_exporter, and the example alert rules run by
# promtool on series taken from the tool's own output; a second
# node_exporter serves a mixed storage server's file, on which every panel
# and variable of the Grafana dashboard must find series.
# Usage: prometheus_test.sh HALVORIC-CLI SCENARIOS RULES DASHBOARD
set -u
cli=$1
scenarios=$2
rules=$3
dashboard=$4
tmp=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
for program in promtool prometheus prometheus-node-exporter curl; do
  command -v "$program" >/dev/null || {
    echo "FAIL: $program is missing (Debian prometheus, prometheus-node-exporter, curl: scripts/packages-test.txt)"
    exit 1
  }
done
free_port() {
  /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
# Polls URL until its body holds TEXT, for at most SECONDS.
wait_for() {  # URL TEXT SECONDS OUTPUT
  local deadline=$((SECONDS + $3))
  while [ $SECONDS -lt "$deadline" ]; do
    curl -sf "$1" >"$4" 2>/dev/null && grep -qF -- "$2" "$4" && return 0
    sleep 0.2
  done
  return 1
}

# Drive strings that the format must escape, a drive asleep, one that
# cannot be read, a worn one and a hot one.
cat >"$tmp/odd.scenario" <<'SCENARIO'
[drive 0]
model = Back\slash "quoted"
serial = Q1
firmware = 1
attribute = 194 raw=58
[drive 1]
model = Asleep
power = standby
attribute = 194 raw=30
[drive 2]
model = No Data
fail = read-data
[drive 3]
model = Worn
attribute = 5 value=30 worst=30 threshold=36 raw=2048
[drive 4]
model = Suspended
runtime-suspend = always
attribute = 194 raw=31
[drive 5]
model = Sixth
attribute = 194 raw=36
[drive 6]
type = nvme
model = Degraded NVMe
nvme-health = critical-warning=4
SCENARIO

textfiles=$tmp/textfile
mkdir "$textfiles"
"$cli" --scenario "$scenarios/demo.scenario" --prometheus "$textfiles/halvoric.prom" ||
  fail "writing the demo scenario's file exited with $?"
"$cli" --scenario "$tmp/odd.scenario" --prometheus "$tmp/odd.prom" ||
  fail "writing the odd drives' file exited with $?"
for file in "$textfiles/halvoric.prom" "$tmp/odd.prom"; do
  promtool check metrics <"$file" || fail "promtool check metrics on $(basename "$file")"
done
[ -z "$(ls "$textfiles" | grep -v '^halvoric.prom$')" ] || fail "a temporary file was left behind"
# A link planted at the name in a folder others may write is replaced, and
# the file it led to keeps its text; the new file is readable by
# node_exporter whatever the writer's umask.
mkdir -m 1777 "$tmp/shared"
echo 'kept' >"$tmp/victim"
ln -s "$tmp/victim" "$tmp/shared/halvoric.prom"
(umask 077 && "$cli" --scenario "$scenarios/demo.scenario" --prometheus "$tmp/shared/halvoric.prom") ||
  fail "writing over a planted link exited with $?"
[ "$(cat "$tmp/victim")" = kept ] || fail "the planted link's target was overwritten"
[ -f "$tmp/shared/halvoric.prom" ] && [ ! -L "$tmp/shared/halvoric.prom" ] || fail "the link is still there"
[ "$(stat -c %a "$tmp/shared/halvoric.prom")" = 644 ] ||
  fail "the file has mode $(stat -c %a "$tmp/shared/halvoric.prom"), not 644"
grep -qF 'model_name="Back\\slash \"quoted\""' "$tmp/odd.prom" || fail "model not escaped"
grep -qF 'smartctl_device_state{device="sim1",state="standby"} 1' "$tmp/odd.prom" ||
  fail "the sleeping drive's state"
grep -qF 'smartctl_device_state{device="sim4",state="standby"} 1' "$tmp/odd.prom" ||
  fail "the runtime-suspended drive's state"
grep -qF 'smartctl_device_temperature{device="sim5",temperature_type="current"} 36' "$tmp/odd.prom" ||
  fail "the sixth drive's temperature"
# Exit status: a drive left asleep counts as read, one that answered
# nothing does not; the file is written either way.
printf '[drive 0]\nmodel = Asleep\nattribute = 194 raw=30\npower = sleep\n' >"$tmp/asleep.scenario"
printf '[drive 0]\nfail = identify read-data\n' >"$tmp/silent.scenario"
for case in asleep:0 silent:2; do
  "$cli" --scenario "$tmp/${case%:*}.scenario" --prometheus "$tmp/${case%:*}.prom" 2>/dev/null
  code=$?
  [ "$code" -eq "${case#*:}" ] || fail "${case%:*} drive: exit status $code"
  grep -q 'halvoric_drive_read_ok{device="sim0"} 0' "$tmp/${case%:*}.prom" ||
    fail "${case%:*} drive: not in the file"
done
# A drive that stops answering is cut at the series deadline (10 s; the
# request under way ends at the kernel's 10 s as well): the run ends long
# before the minute and more its series and logs would take, and the other
# drives are in the file.
printf '[drive 0]\nattribute = 194 raw=30\n[drive 1]\nmodel = Hung\ndelay-ms = 60000\n[drive 2]\nattribute = 194 raw=32\n' >"$tmp/hung.scenario"
started=$SECONDS
"$cli" --scenario "$tmp/hung.scenario" --prometheus "$tmp/hung.prom" 2>"$tmp/hung.err" ||
  fail "the run with a hung drive exited with $?"
[ $((SECONDS - started)) -lt 25 ] || fail "a hung drive held the run for $((SECONDS - started)) s"
for expected in 'smartctl_device_temperature{device="sim0",temperature_type="current"} 30' \
  'smartctl_device_temperature{device="sim2",temperature_type="current"} 32' \
  'halvoric_drive_read_ok{device="sim1"} 0'; do
  grep -qxF -- "$expected" "$tmp/hung.prom" || fail "with a hung drive, the file lacks: $expected"
done
grep -q "drive 1 did not answer within 10 s" "$tmp/hung.err" || fail "the hung drive is not named"
"$cli" --scenario "$scenarios/demo.scenario" --prometheus "$tmp/no/such/folder/x.prom" 2>"$tmp/err"
[ $? -eq 3 ] && grep -q "cannot write" "$tmp/err" || fail "an unwritable file is not reported"

# node_exporter reads the folder; a file it cannot parse would set
# node_textfile_scrape_error. The storage server is a host of its own.
node_port=$(free_port)
prometheus-node-exporter --web.listen-address="127.0.0.1:$node_port" --collector.disable-defaults \
  --collector.textfile --collector.textfile.directory="$textfiles" >"$tmp/node.log" 2>&1 &
pids+=($!)
mkdir "$tmp/fleet"
"$cli" --scenario "$scenarios/fleet.scenario" --prometheus "$tmp/fleet/halvoric.prom" ||
  fail "writing the storage server's file exited with $?"
promtool check metrics <"$tmp/fleet/halvoric.prom" || fail "promtool check metrics on the server's file"
fleet_port=$(free_port)
prometheus-node-exporter --web.listen-address="127.0.0.1:$fleet_port" --collector.disable-defaults \
  --collector.textfile --collector.textfile.directory="$tmp/fleet" >"$tmp/fleet-node.log" 2>&1 &
pids+=($!)
if wait_for "http://127.0.0.1:$node_port/metrics" smartctl_device 5 "$tmp/scrape"; then
  for expected in \
    'node_textfile_scrape_error 0' \
    'smartctl_device{ata_additional_product_id="",ata_version="",device="sim1",firmware_version="80.00A80",form_factor="",interface="sat",model_family="",model_name="Halvoric Demo HDD 2TB",protocol="ATA",sata_version="",serial_number="WD-HDD2T00042"} 1' \
    'smartctl_device_temperature{device="sim0",temperature_type="current"} 34' \
    'smartctl_device_temperature{device="sim1",temperature_type="current"} 41' \
    'smartctl_device_temperature{device="sim2",temperature_type="current"} 38' \
    'smartctl_device_attribute{attribute_flags_long="prefailure,updated_online,event_count,auto_keep",attribute_flags_short="PO--CK",attribute_id="5",attribute_name="Reallocated_Sector_Ct",attribute_value_type="raw",device="sim2"} 5120' \
    'smartctl_device_power_on_seconds{device="sim0"} 3.14316e+07' \
    'halvoric_drive_read_ok{device="sim3"} 0'; do
    grep -qxF -- "$expected" "$tmp/scrape" || fail "node_exporter does not serve: $expected"
  done
else
  fail "node_exporter did not serve the file"
  cat "$tmp/node.log"
fi

# A Prometheus server scraping that node_exporter; the first sample can be
# queried only after about 6 s.
prom_port=$(free_port)
cat >"$tmp/prometheus.yml" <<CONFIG
global:
  scrape_interval: 1s
scrape_configs:
  - job_name: node
    static_configs:
      - targets: ['127.0.0.1:$node_port', '127.0.0.1:$fleet_port']
CONFIG
prometheus --config.file="$tmp/prometheus.yml" --storage.tsdb.path="$tmp/tsdb" \
  --web.listen-address="127.0.0.1:$prom_port" >"$tmp/prometheus.log" 2>&1 &
pids+=($!)
query="http://127.0.0.1:$prom_port/api/v1/query?query=smartctl_device_temperature%7Binstance%3D%22127.0.0.1:$node_port%22%7D"
if wait_for "$query" '"sim2"' 30 "$tmp/query"; then
  temperatures=$(/usr/bin/python3 -c '
import json, sys
result = json.load(open(sys.argv[1]))["data"]["result"]
print(" ".join(r["metric"]["device"] + "=" + r["value"][1] for r in sorted(result, key=lambda r: r["metric"]["device"])))
' "$tmp/query")
  [ "$temperatures" = "sim0=34 sim1=41 sim2=38" ] || fail "PromQL gave $temperatures"
else
  fail "Prometheus did not return the drives' temperatures"
  tail -5 "$tmp/prometheus.log"
fi

# The dashboard: every panel's query and every variable's, with the storage
# server as the host chosen and all its drives, returns series.
api="http://127.0.0.1:$prom_port/api/v1"
if wait_for "$api/query?query=halvoric_drive_verdict%7Binstance%3D%22127.0.0.1:$fleet_port%22%7D" '"sim3"' 30 "$tmp/fleet-query"; then
  /usr/bin/python3 - "$dashboard" "$api" "127.0.0.1:$fleet_port" <<'PYTHON' || fail "dashboard queries without series"
import json, re, sys, urllib.parse, urllib.request
dashboard, api, host = json.load(open(sys.argv[1])), sys.argv[2], sys.argv[3]
chosen = {"instance": host, "device": ".*"}
def fill(expr):
    return re.sub(r"\$(\w+)", lambda m: chosen[m.group(1)], expr)
def get(path, **params):
    url = f"{api}/{path}?" + urllib.parse.urlencode(params, doseq=True)
    return json.load(urllib.request.urlopen(url))["data"]
empty = []
for panel in dashboard["panels"]:
    for target in panel["targets"]:
        if not get("query", query=fill(target["expr"]))["result"]:
            empty.append(f'panel "{panel["title"]}": {target["expr"]}')
for variable in dashboard["templating"]["list"]:
    if variable["type"] != "query":
        continue
    match = re.fullmatch(r"label_values\((.+), (\w+)\)", variable["query"]["query"])
    series = get("series", **{"match[]": fill(match.group(1))})
    if not [s for s in series if s.get(match.group(2))]:
        empty.append(f'variable {variable["name"]}: {variable["query"]["query"]}')
hosts = {s["instance"] for s in get("series", **{"match[]": "smartctl_version"})}
if len(hosts) != 2:
    empty.append(f"the hosts variable lists {sorted(hosts)}")
print("\n".join(empty))
sys.exit(1 if empty else 0)
PYTHON
else
  fail "Prometheus did not return the storage server's verdicts"
  cat "$tmp/fleet-node.log"
fi

# The example rules, on series as the tool wrote them.
promtool check rules "$rules" >/dev/null || fail "promtool check rules"
/usr/bin/python3 - "$tmp/odd.prom" "$(realpath "$rules")" >"$tmp/rules-test.yml" <<'PYTHON' || fail "no series for the rule tests"
import json, sys
series = {}
for line in open(sys.argv[1]):
    if not line.startswith("#"):
        key, value = line.rsplit(" ", 1)
        series[key] = value.strip()
def find(prefix, *parts):
    return next(k for k in series if k.startswith(prefix + "{") and all(p in k for p in parts))
def labels(key):
    inner = key[key.index("{") + 1:-1]
    return dict(item.split("=", 1) for item in inner.split('",')) if inner else {}
def clean(key):
    return {k: v.strip('"') for k, v in labels(key).items()}
hot = find("smartctl_device_temperature", 'device="sim0"')
worn = find("halvoric_drive_attribute_failing", 'device="sim3"', 'attribute_id="5"')
degraded = find("halvoric_drive_attribute_failing", 'device="sim6"', 'attribute_id="100"')
asleep = find("halvoric_drive_power_mode", 'device="sim1"')
realloc = find("smartctl_device_attribute", 'device="sim3"', 'attribute_id="5"', '"raw"')
raw = int(series[realloc])
failed_tests = find("smartctl_device_self_test_log_error_count", 'device="sim0"')
errors = find("smartctl_device_error_log_count", 'device="sim0"')
# The annotations as the rules word them; no instance label in a rule test.
said = {
    "DriveHot": lambda l: {"summary": f"Drive {l['device']} on  is at {series[hot]} °C",
                           "description": "Above 50 °C for 10 minutes. Check the fans and the airflow around it."},
    "DriveAttributeFailing": lambda l: {
        "summary": f"Drive {l['device']} on : {l['attribute_name']} is at or below its threshold",
        "description": f"Attribute {l['attribute_id']} has reached the drive's own failure threshold. Back the drive up and replace it."},
    "DriveReallocatedSectorsRising": lambda l: {
        "summary": f"Drive {l['device']} on  reallocated sectors in the last day",
        "description": "A rising reallocated sector count often comes before a failure. Back the drive up."},
    "DriveSelfTestFailed": lambda l: {
        "summary": f"Drive {l['device']} on  failed a self-test",
        "description": "Its self-test log holds a new failed test. Back the drive up and read the log (halvoric-cli --drive N)."},
    "DriveErrorLogGrew": lambda l: {
        "summary": f"Drive {l['device']} on  logged new errors",
        "description": "Its error log counts more errors than a day ago. Check the cable, back the drive up and read the log (halvoric-cli --drive N)."},
    "DriveAsleepForADay": lambda l: {
        "summary": f"Drive {l['device']} on  has slept for a day",
        "description": "Its figures have not been read for a day. Wake it (halvoric-cli --drive N) to have them read."},
}
def alert(name, eval_time, key=None, severity=None):
    keys = [] if key is None else key if isinstance(key, list) else [key]
    expected = [{"exp_labels": {**clean(k), "severity": severity},
                 "exp_annotations": said[name](clean(k))} for k in keys]
    return {"alertname": name, "eval_time": eval_time, "exp_alerts": expected}
test = {
    "rule_files": [sys.argv[2]],
    "evaluation_interval": "1m",
    "tests": [{
        "interval": "1m",
        "input_series": [
            {"series": hot, "values": f"{series[hot]}x30"},
            {"series": worn, "values": f"{series[worn]}x5"},
            {"series": degraded, "values": f"{series[degraded]}x5"},
            {"series": realloc, "values": f"{raw}x30 {raw + 8}x30"},
            {"series": failed_tests, "values": f"{series[failed_tests]}x30 {int(series[failed_tests]) + 1}x30"},
            {"series": errors, "values": f"{series[errors]}x30 {int(series[errors]) + 2}x30"},
        ],
        "alert_rule_test": [
            alert("DriveHot", "9m"),
            alert("DriveHot", "11m", hot, "warning"),
            # An NVMe drive's Critical Warning fails it as a threshold does.
            alert("DriveAttributeFailing", "2m", [worn, degraded], "critical"),
            alert("DriveReallocatedSectorsRising", "20m"),
            alert("DriveReallocatedSectorsRising", "45m", realloc, "warning"),
            alert("DriveSelfTestFailed", "20m"),
            alert("DriveSelfTestFailed", "45m", failed_tests, "critical"),
            alert("DriveErrorLogGrew", "20m"),
            alert("DriveErrorLogGrew", "45m", errors, "warning"),
        ],
    }, {
        "interval": "1m",
        "input_series": [{"series": asleep, "values": f"{series[asleep]}x1600"}],
        "alert_rule_test": [
            alert("DriveAsleepForADay", "23h"),
            alert("DriveAsleepForADay", "25h", asleep, "info"),
        ],
    }],
}
json.dump(test, sys.stdout, indent=1)
PYTHON
promtool test rules "$tmp/rules-test.yml" >"$tmp/rules-test.log" 2>&1 || {
  fail "promtool test rules"
  cat "$tmp/rules-test.log"
}

[ "$failures" -eq 0 ] && echo "prometheus_test: all passed"
exit $((failures > 0))
