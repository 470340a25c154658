#!/usr/bin/env python3
"""Writes the Chinese translations that installed Debian packages ship
(/usr/share/locale/<locale>/LC_MESSAGES/*.mo) as UTF-8 text, one message per
line, keeping only messages with at least one Han character.

    extract_text.py zh_CN OUTPUT [--domain coreutils] [--limit BYTES]
"""
import argparse
import gettext
import glob
import os
import re
import sys

HAN = re.compile("[\u4e00-\u9fff]")


def messages(mo_path):
    with open(mo_path, "rb") as f:
        catalog = gettext.GNUTranslations(f)
    # Sorted by the original text, so the output does not depend on hashing.
    for key in sorted(catalog._catalog, key=str):
        text = catalog._catalog[key]
        if key == "" or not HAN.search(text):
            continue
        for line in text.splitlines():
            line = line.strip()
            if HAN.search(line):
                yield line


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("locale")
    parser.add_argument("output")
    parser.add_argument("--domain", default="*")
    parser.add_argument("--limit", type=int, default=0)
    args = parser.parse_args()
    pattern = f"/usr/share/locale/{args.locale}/LC_MESSAGES/{args.domain}.mo"
    files = sorted(glob.glob(pattern))
    if not files:
        sys.exit(f"no translations match {pattern}")
    written = 0
    with open(args.output, "w", encoding="utf-8", newline="\n") as out:
        for path in files:
            for line in messages(path):
                data = line + "\n"
                size = len(data.encode("utf-8"))
                if args.limit and written + size > args.limit:
                    return
                out.write(data)
                written += size


if __name__ == "__main__":
    main()
