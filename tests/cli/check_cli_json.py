# SPDX-License-Identifier: GPL-3.0-or-later
"""Validates halvoric-cli's JSON documents against the published schema.

Usage: check_cli_json.py SCHEMA [--documented-in DOC] [--reject] FILE...
Every FILE must be valid against SCHEMA; with --reject, every FILE after it
must be refused instead (the schema has to be strict to be worth checking).
With --documented-in, every key the schema names must appear in DOC as
`key` or as a dotted path ending in it, so the manual cannot fall behind.
"""
import json
import re
import sys

import jsonschema


def schema_keys(node, found):
    if isinstance(node, dict):
        for key, value in node.get("properties", {}).items():
            found.add(key)
        for value in node.values():
            schema_keys(value, found)
    elif isinstance(node, list):
        for value in node:
            schema_keys(value, found)
    return found


def undocumented(schema, doc_text):
    named = set(re.findall(r"`(?:[\w\[\]]+\.)*(\w+)`", doc_text))
    return sorted(schema_keys(schema, set()) - named)


def main(argv):
    schema = json.load(open(argv[1], encoding="utf-8"))
    validator_class = jsonschema.validators.validator_for(schema)
    validator_class.check_schema(schema)
    validator = validator_class(schema)
    failures = []
    reject = False
    args = argv[2:]
    while args:
        arg = args.pop(0)
        if arg == "--documented-in":
            missing = undocumented(schema, open(args.pop(0), encoding="utf-8").read())
            failures += [f"key '{key}' is not documented" for key in missing]
            continue
        if arg == "--reject":
            reject = True
            continue
        try:
            document = json.load(open(arg, encoding="utf-8"))
        except ValueError as error:
            failures.append(f"{arg}: not JSON: {error}")
            continue
        errors = sorted(validator.iter_errors(document), key=lambda e: list(e.absolute_path))
        if reject and not errors:
            failures.append(f"{arg}: accepted, but the schema must refuse it")
        elif not reject:
            failures += [f"{arg}: at {'/'.join(map(str, e.absolute_path)) or 'top'}: {e.message}"
                         for e in errors]
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
