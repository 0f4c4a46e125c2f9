#!/usr/bin/env python3
"""Consistency check of the OrvaDesign translation files.

Checks, beyond what `msgfmt --check` does:
- every PO file holds exactly the msgids listed in keys.txt (no text missing, none extra);
- every msgstr is filled;
- the placeholders %1, %2, ... of each msgid appear in its msgstr, and no others.

Usage: check_po.py [folder]   (default: the folder of this script). Exit status 1 on any problem.
"""
import collections
import glob
import os
import re
import sys

PLACEHOLDER = re.compile(r"%(\d+)")


def unquote(text):
    body = text.strip()[1:-1]
    return re.sub(r'\\(.)', lambda m: {"n": "\n", "t": "\t"}.get(m.group(1), m.group(1)), body)


def read_po(path):
    """Returns {msgid: msgstr} of a simple PO file (no plurals, no contexts), header left out."""
    entries = {}
    current, field = {}, None
    with open(path, encoding="utf-8") as po:
        for line in list(po) + [""]:
            line = line.rstrip("\n")
            if line.startswith("msgid "):
                if "msgid" in current:
                    entries[current["msgid"]] = current.get("msgstr", "")
                current, field = {"msgid": unquote(line[6:])}, "msgid"
            elif line.startswith("msgstr "):
                current["msgstr"], field = unquote(line[7:]), "msgstr"
            elif line.startswith('"') and field:
                current[field] += unquote(line)
            elif not line.strip() and "msgid" in current:
                entries[current["msgid"]] = current.get("msgstr", "")
                current, field = {}, None
    entries.pop("", None)
    return entries


def placeholders(text):
    return collections.Counter(PLACEHOLDER.findall(text))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(folder, "keys.txt"), encoding="utf-8") as keys_file:
        keys = [k for k in keys_file.read().split("\n") if k]
    problems = []
    if keys != sorted(set(keys)):
        problems.append("keys.txt: not sorted or has duplicates")
    files = sorted(glob.glob(os.path.join(folder, "*.po")))
    if not files:
        problems.append("no PO files in " + folder)
    for path in files:
        name = os.path.basename(path)
        entries = read_po(path)
        for missing in sorted(set(keys) - set(entries)):
            problems.append("%s: missing msgid %r" % (name, missing))
        for extra in sorted(set(entries) - set(keys)):
            problems.append("%s: msgid %r is not in keys.txt" % (name, extra))
        for msgid, msgstr in entries.items():
            if not msgstr:
                problems.append("%s: empty msgstr for %r" % (name, msgid))
            elif placeholders(msgid) != placeholders(msgstr):
                problems.append("%s: placeholders differ: %r -> %r" % (name, msgid, msgstr))
        print("%s: %d entries" % (name, len(entries)))
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
