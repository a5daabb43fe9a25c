# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks the sections the test VM wrote against the emulated drives.

Usage: check_vm_rows.py OUTPUT FIXTURES MODEL SERIAL FIRMWARE NVME_SERIAL SCHEMA SERIAL...
MODEL, SERIAL and FIRMWARE are the first SATA disk's; the SERIALs after
SCHEMA are those of the SATA disks on the other ports, whose models are
"HalVoric Emu Disk 2" and on, all with FIRMWARE. The kernel names the SATA
disks in the order their probes end, not by port: which disk each sdX is
comes from its serial in sysfs (section disk-serials). The NVMe drive comes
after the SATA disks.
FIXTURES holds the SMART sectors QEMU's SATA drives answer with; they are
decoded here on their own, so the check does not share code with the tool.
Every JSON document the VM wrote must also be valid against SCHEMA. The NVMe
drive's figures and limits are checked against smartctl's report of the same
drive in the same boot.
"""
import json
import re
import sys

import jsonschema

NAMES = {1: "Raw Read Error Rate", 3: "Spin Up Time", 4: "Start/Stop Count",
         5: "Reallocated Sector Count", 9: "Power On Hours Count", 12: "Power Cycle Count",
         190: "Airflow Temperature"}
SECTORS = 64 * 1024 * 1024 // 512  # the 64 MiB disk images

# smartctl's label, the row ID and the column it stands in, and our name.
SMARTCTL_HEALTH = [("Critical Warning", 0x64, "raw", "Critical Warning"),
                   ("Temperature", 0xC2, "raw", "Temperature"),
                   ("Available Spare", 0x60, "raw", "Available Spare"),
                   ("Available Spare Threshold", 0x60, "thresh", "Available Spare"),
                   ("Percentage Used", 0x61, "raw", "Percentage Used"),
                   ("Data Units Read", 0x68, "raw", "Data Units Read"),
                   ("Data Units Written", 0x69, "raw", "Data Units Written"),
                   ("Power Cycles", 0x0C, "raw", "Power Cycle Count"),
                   ("Power On Hours", 0x09, "raw", "Power On Hours Count"),
                   ("Unsafe Shutdowns", 0x62, "raw", "Unsafe Shutdowns"),
                   ("Media and Data Integrity Errors", 0x63, "raw",
                    "Media and Data Integrity Errors"),
                   ("Error Information Log Entries", 0x65, "raw", "Error Information Log Entries"),
                   ("Warning  Comp. Temperature Time", 0x66, "raw",
                    "Warning Composite Temperature Time"),
                   ("Critical Comp. Temperature Time", 0x67, "raw",
                    "Critical Composite Temperature Time")]
# Sections that hold text, not one of our JSON documents.
NOT_JSON = ("helper-refuses-args", "helper-rights", "root-nvme-text", "smartctl-nvme",
            "smartctl-sata", "root-list-text", "helper-list-text", "runtime-status",
            "runtime-metrics", "disk-serials", "helper-selftest", "smartctl-logs", "smartctl-attributes")

failures = []


def check(what, got, wanted):
    if got != wanted:
        failures.append(f"{what}:\n  got    {got!r}\n  wanted {wanted!r}")


def smartctl_verdict_and_airflow(text):
    """`smartctl -H -A`: whether the drive says it passes, and the leading
    number of attribute 190's raw column (the temperature smartctl reads)."""
    verdict = re.search(r"self-assessment test result: (\S+)", text)
    airflow = re.search(r"^\s*190\s.*?\s(\d+)(?: \(.*\))?\s*$", text, re.M)
    return (verdict.group(1) == "PASSED" if verdict else None,
            int(airflow.group(1)) if airflow else None)


def sections(text):
    found = {}
    for match in re.finditer(r"^=== (\S+)\n(.*?)(?=^=== )", text, re.S | re.M):
        found[match.group(1)] = match.group(2)
    return found


def smartctl_fields(text):
    """Label: value lines of `smartctl -a`, each value's leading number."""
    fields = {}
    for match in re.finditer(r"^(\S[^:\n]*?):\s+(0x[0-9a-fA-F]+|-?[\d,]+)", text, re.M):
        fields[match.group(1)] = int(match.group(2).replace(",", ""), 0)
    return fields


def window_names(record):
    """A drive record with each attribute under the window's name, without
    the keys that come from the drive database (smartctl's names, flags and
    raw strings, the family and the warning)."""
    record = {k: v for k, v in record.items() if k not in ("model_family", "drive_database_warning")}
    table = (record.get("ata_smart_attributes") or {}).get("table")
    if table is not None:
        record["ata_smart_attributes"] = {"table": [
            {"id": row["id"], "name": row.get("display_name", row["name"]), "value": row["value"],
             "worst": row["worst"], "thresh": row["thresh"], "raw": {"value": row["raw"]["value"]},
             "smart_info_status": row["smart_info_status"]} for row in table]}
    return record


def figure(row, column):
    value = row.get(column)
    return value.get("value") if isinstance(value, dict) else value


def expected_attribute_table(fixtures):
    data = open(f"{fixtures}/smart-data.bin", "rb").read()
    thresholds = open(f"{fixtures}/smart-thresholds.bin", "rb").read()
    rows = []
    for p in range(30):
        entry = data[2 + 12 * p: 14 + 12 * p]
        if entry[0] == 0:
            break
        threshold = thresholds[3 + 12 * p]
        rows.append({"id": entry[0], "name": NAMES.get(entry[0], "(Unknown attribute)"),
                     "value": entry[3], "worst": entry[4], "thresh": threshold,
                     "raw": {"value": int.from_bytes(entry[5:11], "little")},
                     "smart_info_status": "OK" if entry[3] > threshold else "BAD"})
    return rows


def invalid_documents(found, schema_file):
    """Every section holding a JSON document, checked against the schema."""
    schema = json.load(open(schema_file, encoding="utf-8"))
    validator = jsonschema.Draft202012Validator(schema)
    problems = []
    for name, text in sorted(found.items()):
        if not name.endswith(".out") or name.startswith(NOT_JSON) or not text.strip():
            continue
        try:
            document = json.loads(text)
        except ValueError as error:
            problems.append(f"{name}: not JSON: {error}")
            continue
        problems += [f"{name}: at {'/'.join(map(str, e.absolute_path)) or 'top'}: {e.message}"
                     for e in validator.iter_errors(document)]
    return problems


def expected_disk_info(model, serial, firmware, source):
    return [{"name": "IDE HDD 0", "value": "S.M.A.R.T supported" if source.startswith("the drive") else None},
            {"name": "Cylinders", "value": str(SECTORS // (16 * 63))},
            {"name": "Heads", "value": "16"}, {"name": "Sectors per Track", "value": "63"},
            {"name": "Sector Count", "value": "1"}, {"name": "Sector Number", "value": "1"},
            {"name": "Low order cylinder", "value": "0"},
            {"name": "High order cylinder", "value": "0"},
            {"name": "Drive/Head", "value": "160"}, {"name": "Actual IDE command", "value": "236"},
            {"name": "Model number", "value": model.ljust(40)},
            {"name": "Firmware rev", "value": firmware.ljust(8)},
            {"name": "Serial number", "value": serial.ljust(20)},
            {"name": "Data source", "value": source}]


def main():
    output, fixtures, model, serial, firmware, nvme_serial, schema = sys.argv[1:8]
    other_serials = sys.argv[8:]
    nvme_number = 1 + len(other_serials)
    drive_count = nvme_number + 1
    found = sections(open(output, encoding="utf-8", errors="replace").read() + "=== \n")
    if "end" not in found:
        print("FAIL: the VM did not finish its runs")
        return 1
    missing = [name for name in found if name.startswith("missing-")]
    if missing:
        print("FAIL: the VM found no disk " + ", ".join(m.removeprefix("missing-") for m in missing))
        return 1
    # sdX -> (model, serial), from the serial the kernel read from each disk.
    models = {serial: model, **{other: f"HalVoric Emu Disk {n}"
                                for n, other in enumerate(other_serials, start=2)}}
    identity = {}
    for line in found.get("disk-serials.out", "").splitlines():
        name, *page = line.split()
        kernel_serial = bytes(int(b, 16) for b in page[4:]).decode(errors="replace").strip()
        identity[name] = (models.get(kernel_serial, "?"), kernel_serial)
    check("every SATA disk found once, by its serial", sorted(s for _, s in identity.values()),
          sorted(models))
    sata_names = [f"sd{chr(ord('a') + n)}" for n in range(nvme_number)]
    first_model, first_serial = identity.get("sda", ("?", "?"))
    ata = "the drive (ATA commands)"
    limited = "sysfs and hwmon (no right to send ATA commands)"
    failures.extend(invalid_documents(found, schema))

    table = expected_attribute_table(fixtures)
    # The drive's own verdict (SMART RETURN STATUS) and, without attribute
    # 194, the temperature in 190's low raw byte, both as smartctl reads them.
    passed, airflow = smartctl_verdict_and_airflow(found["smartctl-sata.out"])
    check("smartctl read the SATA drive's verdict and temperature", (passed, airflow is None),
          (True, False))
    # Names, flags and raw values as smartctl spells them, from the same
    # drive database in the same boot.
    def spelled(table):
        return [(row["id"], row["name"], row["flags"]["string"], row["raw"]["string"])
                for row in table]
    reference = spelled(json.loads(found["smartctl-attributes.out"])["ata_smart_attributes"]["table"])
    for run in ("root", "helper"):
        drive = json.loads(found[f"{run}-sata.out"])
        check(f"{run}: attributes as smartctl spells them",
              spelled(drive["ata_smart_attributes"]["table"]), reference)
    for run in ("root", "helper"):
        listing = [window_names(d) for d in json.loads(found[f"{run}-list.out"])["drives"]]
        check(f"{run}: drive 0 in the list", listing[0],
              {"drive_number": 0, "device_path": "/dev/sda", "data_source": "ata",
               "power_mode": "active", "model_name": first_model, "serial_number": first_serial,
               "firmware_version": firmware, "smart_read": True, "smart_read_error": None,
               "smart_status": {"passed": passed},
               "temperature": {"current": airflow, "drive_warning": None, "drive_critical": None,
                               "source": "attribute 190"},
               "ata_smart_attributes": {"table": table}, "drive_list_status": "OK",
               "halvoric_verdict": {"state": "ok", "reasons": []}})
        check(f"{run}: every disk listed", [d["drive_number"] for d in listing],
              list(range(drive_count)))
        for n, name in enumerate(sata_names[1:], start=1):
            drive = listing[n] if len(listing) > n else {}
            disk_model, disk_serial = identity.get(name, ("?", "?"))
            check(f"{run}: SATA drive {n} read",
                  {k: drive.get(k) for k in ("device_path", "data_source", "model_name",
                                             "serial_number", "smart_read",
                                             "ata_smart_attributes")},
                  {"device_path": f"/dev/{name}", "data_source": "ata",
                   "model_name": disk_model, "serial_number": disk_serial,
                   "smart_read": True, "ata_smart_attributes": {"table": table}})
        last = listing[-1] if listing else {}
        check(f"{run}: NVMe drive after the SATA disks",
              [last.get(k) for k in ("drive_number", "device_path", "data_source", "serial_number")],
              [nvme_number, "/dev/nvme0n1", "nvme", nvme_serial])
        rows = found[f"{run}-list-text.out"].splitlines()[1:]
        check(f"{run}: every disk in the text list", [row.split()[0] for row in rows if row.strip()],
              [str(n) for n in range(drive_count)])
        details = window_names(json.loads(found[f"{run}-sata.out"]))
        check(f"{run}: Disk Info", details["disk_info"],
              expected_disk_info(first_model, first_serial, firmware, ata))
        check(f"{run}: attribute table", details["ata_smart_attributes"], {"table": table})
        check(f"{run}: no complaint", found[f"{run}-sata.err"], "")

    check("helper without arguments only", found["helper-refuses-args.exit"].strip(), "2")

    # The helper's capabilities while it waits for a request, as "permitted
    # in-force": every right permitted and none in force before the open;
    # after it only the opened disk's right, out of force between commands.
    every_right = (1 << 2) | (1 << 17) | (1 << 21)  # DAC_READ_SEARCH, SYS_RAWIO, SYS_ADMIN
    for disk, right in (("sata", 1 << 17), ("nvme", 1 << 21)):
        check(f"helper rights in a {disk} series", found[f"helper-rights-{disk}.out"],
              f"before {every_right} 0\nopened 0 {right} 0\ncommand 0 {right} 0\nexit 0\n")
        check(f"helper rights in a {disk} series: no complaint",
              found[f"helper-rights-{disk}.err"], "")

    listing = json.loads(found["limited-list.out"])["drives"]
    check("limited: SATA model", listing[0]["model_name"], first_model)
    check("limited: NVMe model", listing[nvme_number]["model_name"], "QEMU NVMe Ctrl")
    check("limited: NVMe node", listing[nvme_number]["device_path"], "/dev/nvme0n1")
    check("limited: NVMe temperature from hwmon",
          isinstance(listing[nvme_number]["temperature"]["current"], int), True)
    check("limited: read from sysfs", [d["data_source"] for d in listing], ["sysfs"] * drive_count)
    check("limited: no threshold to pass or fail by", listing[nvme_number]["smart_status"],
          {"passed": None})
    check("limited: SATA without a hwmon temperature is unread, for lack of rights",
          (listing[0]["smart_read"], "no right to send ATA commands" in listing[0]["smart_read_error"]),
          (False, True))
    message = found["limited-list.err"]
    check("limited: message about rights names the install step",
          "lack of rights" in message and "cmake --install" in message, True)
    sata = json.loads(found["limited-sata.out"])
    check("limited: SATA Disk Info from the kernel's IDENTIFY copy", sata["disk_info"],
          expected_disk_info(first_model, first_serial, firmware, limited))
    nvme = json.loads(found["limited-nvme.out"])
    check("limited: NVMe serial", nvme["disk_info"][12],
          {"name": "Serial number", "value": nvme_serial.ljust(20)})
    check("limited: NVMe serial in the record", nvme["serial_number"], nvme_serial)
    nvme_table = (nvme["ata_smart_attributes"] or {}).get("table", [])
    temperature = nvme_table[0] if nvme_table else {}
    check("limited: only the temperature row, made-up figures null",
          [{k: v for k, v in temperature.items() if k not in ("raw", "flags")}],
          [{"id": 194, "name": "Temperature_Celsius", "display_name": "Temperature", "thresh": None,
            "value": None,
            "worst": None, "smart_info_status": "OK"}])
    hwmon = temperature.get("raw", {}).get("value")
    check("limited: temperature row carries the hwmon figure",
          listing[nvme_number]["temperature"]["current"], hwmon)

    reference = smartctl_fields(found["smartctl-nvme.out"])
    check("smartctl read the NVMe drive", "Critical Comp. Temp. Threshold" in reference, True)
    limits = [reference.get("Warning  Comp. Temp. Threshold"),
              reference.get("Critical Comp. Temp. Threshold")]
    limit_rows = [f"{limit}\u00b0C" for limit in limits]
    # Without rights the kernel's hwmon names the same limits.
    limited_info = {row["name"]: row["value"] for row in nvme["disk_info"]}
    check("limited: NVMe limit rows from hwmon as smartctl reads them",
          [limited_info.get("Warning temperature"), limited_info.get("Critical temperature")],
          limit_rows)
    check("limited: NVMe limits from hwmon in the record",
          [nvme["temperature"]["drive_warning"], nvme["temperature"]["drive_critical"]], limits)

    text = found["root-nvme-text.out"]
    check("text: NVMe rows named", all(name in text for *_, name in SMARTCTL_HEALTH), True)
    check("text: no BAD row", "BAD" in text, False)
    check("text: limits shown", f"Critical temperature  {limits[1]}\u00b0C" in text, True)

    for run in ("root", "helper"):
        details = json.loads(found[f"{run}-nvme.out"])
        info = {row["name"]: row["value"] for row in details["disk_info"]}
        check(f"{run}: NVMe model from Identify Controller", info.get("Model number"),
              "QEMU NVMe Ctrl".ljust(40))
        check(f"{run}: NVMe serial", info.get("Serial number"), nvme_serial.ljust(20))
        check(f"{run}: NVMe firmware as the kernel has it", info.get("Firmware rev"),
              nvme["disk_info"][11]["value"])
        check(f"{run}: NVMe data source", info.get("Data source"), "the drive (NVMe health log)")
        check(f"{run}: NVMe data source in the record", details["data_source"], "nvme")
        health = (details["ata_smart_attributes"] or {}).get("table", [])
        rows = {row["id"]: row for row in health}
        check(f"{run}: NVMe health rows in the log's order", [row["id"] for row in health],
              [0x64, 0xC2, 0x60, 0x61, 0x68, 0x69, 0x0C, 0x09, 0x62, 0x63, 0x65, 0x66,
               0x67])
        for label, row_id, column, name in SMARTCTL_HEALTH:
            check(f"{run}: NVMe row {row_id:02X} named", rows.get(row_id, {}).get("name"), name)
            check(f"{run}: NVMe {label} as smartctl reads it",
                  figure(rows.get(row_id, {}), column), reference.get(label))
        # QEMU's spare is 0 % with a threshold of 0 %: not below it.
        check(f"{run}: NVMe rows by NVMe's rules, healthy as smartctl says",
              [row["smart_info_status"] for row in health], ["OK"] * len(health))
        check(f"{run}: NVMe passed as smartctl says", details["smart_status"], {"passed": True})
        check(f"{run}: NVMe drive list status", details["drive_list_status"], "OK")
        check(f"{run}: NVMe temperature as hwmon has it",
              details["temperature"]["current"], hwmon)
        check(f"{run}: NVMe limits as smartctl reads them",
              [details["temperature"]["drive_warning"], details["temperature"]["drive_critical"]],
              limits)
        check(f"{run}: NVMe limit rows", [info.get("Warning temperature"),
                                          info.get("Critical temperature")], limit_rows)
        check(f"{run}: NVMe Critical Warning decoded", info.get("Critical warning"), "none")
        check(f"{run}: NVMe made-up temperature figures null",
              [rows.get(0xC2, {}).get(k, 0) for k in ("thresh", "value", "worst")],
              [None, None, None])
        spare = rows.get(0x60, {})
        check(f"{run}: NVMe spare and its threshold are the drive's",
              (spare.get("value") is not None, spare.get("thresh") is not None,
               spare.get("worst")), (True, True, None))
        check(f"{run}: NVMe no complaint", found[f"{run}-nvme.err"], "")

    # CHECK POWER MODE through the kernel (root) and through the helper: the
    # emulated SATA disk spins for ever; NVMe and the unprivileged level
    # cannot tell.
    for run, sata in (("root", "active"), ("helper", "active"), ("ata-only", "active"),
                      ("limited", "unknown")):
        check(f"{run}: power modes", json.loads(found[f"{run}-power.out"] or "null"),
              {"json_format_version": [1, 2],
               "drives": [{"drive_number": n, "device_path": f"/dev/sd{chr(ord('a') + n)}",
                           "power_mode": sata} for n in range(nvme_number)] +
                         [{"drive_number": nvme_number, "device_path": "/dev/nvme0n1",
                           "power_mode": "unknown"}]})
        check(f"{run}: power check without complaint", found[f"{run}-power.err"], "")
        check(f"{run}: power check exit status", found[f"{run}-power.exit"].strip(), "0")

    # The last SATA disk, runtime-suspended by the kernel: the power check
    # and the metrics file leave it unopened, so it is still suspended.
    suspended = f"sd{chr(ord('a') + nvme_number - 1)}"
    check("runtime suspend reached", found["runtime-status-before.out"], "suspended\n")
    modes = json.loads(found["runtime-power.out"] or "null") or {"drives": []}
    check("runtime-suspended disk reads standby",
          [d["power_mode"] for d in modes["drives"]],
          ["active"] * (nvme_number - 1) + ["standby", "unknown"])
    check("runtime-suspended disk in the metrics file",
          f'smartctl_device_state{{device="{suspended}",state="standby"}} 1'
          in found["runtime-metrics.out"], True)
    check("runtime-suspended disk left suspended", found["runtime-status-after.out"],
          "suspended\n")

    # Self-tests started through the helper, and the logs as smartctl reads
    # them: the same entries under the same keys.
    for kind in ("short", "extended"):
        check(f"helper: {kind} self-test started", (found[f"helper-selftest-{kind}.exit"].strip(),
              found[f"helper-selftest-{kind}.err"]), ("0", ""))
    ours = json.loads(found["helper-logs.out"])
    theirs = json.loads(found["smartctl-logs.out"])

    def self_tests(document):
        table = document.get("ata_smart_self_test_log", {}).get("standard", {}).get("table", [])
        return [(r.get("type", {}).get("value"), r.get("status", {}).get("value"),
                 r.get("status", {}).get("passed"), r.get("lifetime_hours")) for r in table]
    check("self-test log as smartctl reads it", self_tests(ours), self_tests(theirs))
    check("self-test log: the extended test, then the short one",
          [row[0] for row in self_tests(ours)][:2], [2, 1])
    for key in ("ata_smart_self_test_log", "ata_smart_error_log"):
        for log, body in theirs.get(key, {}).items():
            check(f"{key}.{log}: smartctl's keys", sorted(ours.get(key, {}).get(log, {})),
                  sorted(k for k in body if k != "error_count_outdated"))
    check("error log count as smartctl reads it",
          ours.get("ata_smart_error_log", {}).get("summary", {}).get("count"),
          theirs.get("ata_smart_error_log", {}).get("summary", {}).get("count"))
    polling = theirs.get("ata_smart_data", {}).get("self_test", {}).get("polling_minutes")
    check("polling minutes as smartctl reads them",
          ours.get("ata_smart_data", {}).get("self_test", {}).get("polling_minutes"), polling)

    ata_only = json.loads(found["ata-only-sata.out"])
    check("helper without CAP_SYS_ADMIN: SATA still read with ATA commands",
          ata_only["disk_info"][-1]["value"], ata)
    ata_only_nvme = json.loads(found["ata-only-nvme.out"])
    check("helper without CAP_SYS_ADMIN: NVMe read from sysfs and hwmon",
          ata_only_nvme["disk_info"][-1]["value"], limited)
    check("helper without CAP_SYS_ADMIN: message about rights",
          "lack of rights" in found["ata-only-nvme.err"], True)

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("vm: all checks passed")
    return 1 if failures else 0


sys.exit(main())
