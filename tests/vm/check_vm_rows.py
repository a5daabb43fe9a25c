"""Checks the sections the test VM wrote against the emulated drives.

Usage: check_vm_rows.py OUTPUT FIXTURES MODEL SERIAL FIRMWARE NVME_SERIAL
FIXTURES holds the SMART sectors QEMU's SATA drive answers with; they are
decoded here on their own, so the check does not share code with the tool.
"""
import json
import re
import sys

NAMES = {1: "Raw Read Error Rate", 3: "Spin Up Time", 4: "Start/Stop Count",
         5: "Reallocated Sector Count", 9: "Power On Hours Count", 12: "Power Cycle Count"}
SECTORS = 64 * 1024 * 1024 // 512  # the 64 MiB disk image

failures = []


def check(what, got, wanted):
    if got != wanted:
        failures.append(f"{what}:\n  got    {got!r}\n  wanted {wanted!r}")


def sections(text):
    found = {}
    for match in re.finditer(r"^=== (\S+)\n(.*?)(?=^=== )", text, re.S | re.M):
        found[match.group(1)] = match.group(2)
    return found


def expected_smart_rows(fixtures):
    data = open(f"{fixtures}/smart-data.bin", "rb").read()
    thresholds = open(f"{fixtures}/smart-thresholds.bin", "rb").read()
    rows = []
    for p in range(30):
        entry = data[2 + 12 * p: 14 + 12 * p]
        if entry[0] == 0:
            break
        threshold = thresholds[3 + 12 * p]
        name = NAMES.get(entry[0], "(Unknown attribute)").ljust(24)
        rows.append({"id": f"{entry[0]:02X}", "name": name, "threshold": threshold,
                     "value": entry[3], "worst": entry[4],
                     "raw": int.from_bytes(entry[5:11], "little"),
                     "status": "OK" if entry[3] > threshold else "BAD"})
    return rows


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
    output, fixtures, model, serial, firmware, nvme_serial = sys.argv[1:7]
    found = sections(open(output, encoding="utf-8", errors="replace").read() + "=== \n")
    if "end" not in found:
        print("FAIL: the VM did not finish its runs")
        return 1
    missing = [name for name in found if name.startswith("missing-")]
    if missing:
        print("FAIL: the VM found no disk " + ", ".join(m.removeprefix("missing-") for m in missing))
        return 1
    ata = "the drive (ATA commands)"
    limited = "sysfs and hwmon (no right to send ATA commands)"

    for run in ("root", "helper"):
        listing = json.loads(found[f"{run}-list.out"])["drives"]
        check(f"{run}: drive 0 in the list", listing[0],
              {"id": "0", "model": model.ljust(40), "temp": "N/A", "status": "OK",
               "summary": {"temperature": -9999, "threshold": -10000, "value": 0, "worst": 0}})
        details = json.loads(found[f"{run}-sata.out"])
        check(f"{run}: Disk Info", details["diskInfo"],
              expected_disk_info(model, serial, firmware, ata))
        check(f"{run}: SMART Info", details["smartInfo"], expected_smart_rows(fixtures))
        check(f"{run}: no complaint", found[f"{run}-sata.err"], "")

    check("helper without arguments only", found["helper-refuses-args.exit"].strip(), "2")

    listing = json.loads(found["limited-list.out"])["drives"]
    check("limited: SATA model", listing[0]["model"], model.ljust(40))
    check("limited: NVMe model", listing[1]["model"].rstrip(), "QEMU NVMe Ctrl")
    check("limited: NVMe temperature from hwmon",
          bool(re.fullmatch(r"\d+\u00b0C", listing[1]["temp"])), True)
    message = found["limited-list.err"]
    check("limited: message about rights names the install step",
          "lack of rights" in message and "cmake --install" in message, True)
    sata = json.loads(found["limited-sata.out"])
    check("limited: SATA Disk Info from the kernel's IDENTIFY copy", sata["diskInfo"],
          expected_disk_info(model, serial, firmware, limited))
    nvme = json.loads(found["limited-nvme.out"])
    check("limited: NVMe serial", nvme["diskInfo"][12],
          {"name": "Serial number", "value": nvme_serial.ljust(20)})
    temperature = nvme["smartInfo"][0] if nvme["smartInfo"] else {}
    check("limited: only the temperature row, made-up figures hidden",
          [{k: v for k, v in temperature.items() if k != "raw"}],
          [{"id": "C2", "name": "Temperature".ljust(24), "threshold": None, "value": None,
            "worst": None, "status": "OK"}])
    check("limited: temperature row carries the hwmon figure",
          listing[1]["temp"], f"{temperature.get('raw')}\u00b0C")

    for run in ("root", "helper"):
        details = json.loads(found[f"{run}-nvme.out"])
        info = {row["name"]: row["value"] for row in details["diskInfo"]}
        check(f"{run}: NVMe model from Identify Controller", info.get("Model number"),
              "QEMU NVMe Ctrl".ljust(40))
        check(f"{run}: NVMe serial", info.get("Serial number"), nvme_serial.ljust(20))
        check(f"{run}: NVMe firmware as the kernel has it", info.get("Firmware rev"),
              nvme["diskInfo"][11]["value"])
        check(f"{run}: NVMe data source", info.get("Data source"), "the drive (NVMe health log)")
        health = details["smartInfo"]
        check(f"{run}: NVMe health rows", [row["id"] for row in health],
              ["C2", "60", "61", "0C", "09", "62", "63"])
        check(f"{run}: NVMe temperature as hwmon has it",
              health[0]["raw"] if health else None, temperature.get("raw"))
        check(f"{run}: NVMe made-up temperature figures hidden",
              [health[0][k] for k in ("threshold", "value", "worst")] if health else None,
              [None, None, None])
        check(f"{run}: NVMe no complaint", found[f"{run}-nvme.err"], "")

    # CHECK POWER MODE through the kernel (root) and through the helper: the
    # emulated SATA disk spins for ever; NVMe and the unprivileged level
    # cannot tell.
    for run, sata in (("root", "active"), ("helper", "active"), ("ata-only", "active"),
                      ("limited", "unknown")):
        check(f"{run}: power modes", json.loads(found[f"{run}-power.out"] or "null"),
              {"drives": [{"id": "0", "power": sata}, {"id": "1", "power": "unknown"}]})
        check(f"{run}: power check without complaint", found[f"{run}-power.err"], "")
        check(f"{run}: power check exit status", found[f"{run}-power.exit"].strip(), "0")

    ata_only = json.loads(found["ata-only-sata.out"])
    check("helper without CAP_SYS_ADMIN: SATA still read with ATA commands",
          ata_only["diskInfo"][-1]["value"], ata)
    ata_only_nvme = json.loads(found["ata-only-nvme.out"])
    check("helper without CAP_SYS_ADMIN: NVMe read from sysfs and hwmon",
          ata_only_nvme["diskInfo"][-1]["value"], limited)
    check("helper without CAP_SYS_ADMIN: message about rights",
          "lack of rights" in found["ata-only-nvme.err"], True)

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("vm: all checks passed")
    return 1 if failures else 0


sys.exit(main())
