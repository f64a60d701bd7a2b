#!/usr/bin/env python3
"""The layers as a fact: every #include under src/ against the table "Who
may include whom" in docs/ARCHITECTURE.md, and no Qt or system header in
the folders that table calls core.

Usage: layers_test.py SRC_DIR ARCHITECTURE.md
Prints each include that breaks the table as FILE:LINE: why, and exits 1
when there is one; 2 when the table cannot be read.
"""
import os
import re
import sys

# Headers of Qt and of one operating system, which the core never includes.
SYSTEM_ONLY = re.compile(r"^(Q\w*|qt\w*/.*|windows\.h|winsock2\.h|ws2tcpip\.h|io\.h|"
                         r"unistd\.h|fcntl\.h|poll\.h|termios\.h|sys/.*|arpa/.*|netinet/.*|"
                         r"netdb\.h|libserialport\.h|shellapi\.h|setupapi\.h)$")


def read_table(path):
    """{folder: (allowed folders, core)} from the table's rows."""
    table, inside = {}, False
    for line in open(path, encoding="utf-8"):
        if line.startswith("## "):
            inside = line.strip() == "## Who may include whom"
            continue
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if not inside or len(cells) != 3 or not cells[0].startswith("`"):
            continue
        folder = cells[0].strip("`")
        allowed = {c.strip().strip("`") for c in cells[1].split(",") if c.strip()}
        table[folder] = (allowed | {folder}, cells[2] == "yes")
    return table


def rule_for(folder, table):
    """The most specific row for a folder: "platform/qt" before "platform"."""
    while folder:
        if folder in table:
            return folder
        folder = os.path.dirname(folder)
    return None


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    src, architecture = sys.argv[1], sys.argv[2]
    table = read_table(architecture)
    if not table:
        print("layers_test: no table 'Who may include whom' in %s" % architecture, file=sys.stderr)
        return 2
    wrong = 0
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(root, name)
            folder = os.path.relpath(root, src).replace(os.sep, "/")
            row = rule_for(folder, table)
            if row is None:
                print("%s: the table has no row for %s" % (path, folder))
                wrong += 1
                continue
            allowed, core = table[row]
            for number, line in enumerate(open(path, encoding="utf-8"), 1):
                match = re.match(r'\s*#\s*include\s*([<"])([^>"]+)[>"]', line)
                if not match:
                    continue
                quoted, target = match.group(1) == '"', match.group(2)
                if quoted and "/" in target:
                    used = os.path.dirname(target)
                    if used not in allowed:
                        print("%s:%d: %s may not include %s" % (path, number, row, target))
                        wrong += 1
                elif not quoted and core and SYSTEM_ONLY.match(target):
                    print("%s:%d: %s is core and may not include <%s>" % (path, number, row, target))
                    wrong += 1
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
