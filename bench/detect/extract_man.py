#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the text of the manual pages that installed Debian packages ship
in one language (/usr/share/man/<locale>/man*/*.gz, from manpages-zh,
manpages-fr and manpages-de, say) as UTF-8 text, one line of running text
per line: the troff requests dropped, the font and character escapes
removed, and with --script only lines with a character of the locale's
script (Han for Chinese, a Latin letter outside ASCII for French and German).

    extract_man.py zh_CN OUTPUT [--limit BYTES]
"""
import argparse
import glob
import gzip
import re
import sys

SCRIPTS = {
    "zh": re.compile("[\u4e00-\u9fff]"),
}
ACCENTED = re.compile("[\u00c0-\u024f]")
ESCAPES = re.compile(r"\\(f[BIRP1-4]|f\(..|f\[[^]]*\]|s[-+]?\d|\(..|\[[^]]*\]|\*.|[-&|^ e0%~:])")


def text_lines(path):
    try:
        with gzip.open(path, "rt", encoding="utf-8", errors="strict") as f:
            source = f.read()
    except (UnicodeDecodeError, OSError, EOFError):
        return  # a page in a legacy encoding, or damaged
    for line in source.splitlines():
        if line.startswith((".", "'")):
            continue
        line = ESCAPES.sub(lambda m: "-" if m.group(1) == "-" else "", line).strip()
        if line:
            yield line


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("locale")
    parser.add_argument("output")
    parser.add_argument("--limit", type=int, default=4_000_000)
    args = parser.parse_args()
    files = sorted(glob.glob(f"/usr/share/man/{args.locale}/man*/*.gz"))
    if not files:
        sys.exit(f"no manual pages in /usr/share/man/{args.locale}")
    wanted = SCRIPTS.get(args.locale.split("_")[0], ACCENTED)
    written = 0
    with open(args.output, "w", encoding="utf-8", newline="\n") as out:
        for path in files:
            for line in text_lines(path):
                if not wanted.search(line):
                    continue
                data = line + "\n"
                written += len(data.encode("utf-8"))
                if written > args.limit:
                    return
                out.write(data)


if __name__ == "__main__":
    main()
