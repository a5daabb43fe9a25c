# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the attribute tables of real drives, as smartctl printed them, with
halvoric-cli and the installed drive database, and compares each
attribute's name and raw string with smartctl's.

Usage: check_real_tables.py HALVORIC_CLI TABLES [DRIVEDB]

TABLES holds one block per drive: a comment naming where smartctl's output
was published, a line "drive MODEL FIRMWARE ROTATION" (an rpm figure, ssd,
or - where smartctl printed none), then one line per attribute: ID, flags,
the raw bytes as one number, the reserved byte, smartctl's name and its raw
string, tab-separated. A seventh field marks a row where smartctl's output
is known to differ from what the installed database says; it is counted,
reported and not failed. Exits 77 when the database is not installed.
"""
import json
import os
import subprocess
import sys
import tempfile

DRIVEDB = sys.argv[3] if len(sys.argv) > 3 else "/usr/share/smartmontools/drivedb.h"
UNNAMED = "(Unknown attribute)"


def read_tables(path):
    drives = []
    with open(path, encoding="utf-8") as lines:
        for number, line in enumerate(lines, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            if fields[0] == "drive":
                drives.append({"model": fields[1], "firmware": fields[2], "rotation": fields[3],
                               "rows": [], "line": number})
            elif len(fields) in (6, 7) and drives:
                drives[-1]["rows"].append({"id": int(fields[0]), "flags": int(fields[1], 16),
                                           "raw": int(fields[2]), "reserved": int(fields[3]),
                                           "name": fields[4], "string": fields[5],
                                           "known": fields[6] if len(fields) == 7 else None,
                                           "line": number})
            else:
                sys.exit(f"{path}:{number}: not a drive line or an attribute row")
    return drives


def scenario(drives):
    text = []
    for number, drive in enumerate(drives):
        text += [f"[drive {number}]", f'model = "{drive["model"]}"',
                 f'firmware = "{drive["firmware"]}"']
        if drive["rotation"] != "-":
            text.append(f"rotation = {drive['rotation']}")
        for row in drive["rows"]:
            text.append(f"attribute = {row['id']} flags={row['flags']:#x} raw={row['raw']} "
                        f"reserved={row['reserved']}")
    return "\n".join(text) + "\n"


def main():
    if not os.path.exists(DRIVEDB):
        print(f"skipped: no drive database at {DRIVEDB}")
        return 77
    drives = read_tables(sys.argv[2])
    with tempfile.NamedTemporaryFile("w", suffix=".scenario") as file:
        file.write(scenario(drives))
        file.flush()
        run = subprocess.run([sys.argv[1], "--scenario", file.name, "--json"],
                             env=dict(os.environ, HALVORIC_DRIVEDB=DRIVEDB),
                             capture_output=True, text=True, check=False)
    if not run.stdout:
        print(run.stderr)
        return 1
    read = json.loads(run.stdout)["drives"]
    compared = same = known = 0
    failures = []
    for drive, ours in zip(drives, read):
        table = {row["id"]: row for row in ours["ata_smart_attributes"]["table"]}
        for row in drive["rows"]:
            got = table[row["id"]]
            compared += 1
            wrong = []
            if got["name"] != row["name"]:
                wrong.append(f"name {got['name']!r}, smartctl {row['name']!r}")
            if got["raw"]["string"] != row["string"]:
                wrong.append(f"raw {got['raw']['string']!r}, smartctl {row['string']!r}")
            if got["display_name"].strip() == UNNAMED and not row["name"].startswith("Unknown"):
                wrong.append(f"shown as {UNNAMED}")
            if not wrong:
                same += 1
            elif row["known"]:
                known += 1
                print(f"line {row['line']}: {drive['model']} {row['id']}: {'; '.join(wrong)} "
                      f"(known: {row['known']})")
            else:
                failures.append(f"line {row['line']}: {drive['model']} {row['id']}: "
                                + "; ".join(wrong))
    print(f"{len(drives)} drives, {compared} attributes: {same} read as smartctl reads them "
          f"({100.0 * same / compared:.1f} %), {known} known to differ, {len(failures)} wrong")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
