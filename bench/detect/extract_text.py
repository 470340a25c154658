#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the translations that installed Debian packages ship
(/usr/share/locale/<locale>/LC_MESSAGES/*.mo) as UTF-8 text, one message per
line, keeping only lines in the locale's own script: Han for Chinese, kana or
Han for Japanese (ja), Hangul for Korean (ko). With --originals it writes the
catalogs' original (English) messages instead, the lines with a Latin letter.

    extract_text.py zh_CN OUTPUT [--domain coreutils] [--limit BYTES] [--originals]
"""
import argparse
import gettext
import glob
import re
import sys

HAN = "\u4e00-\u9fff"
SCRIPTS = {
    "ja": re.compile(f"[\u3040-\u30ff{HAN}]"),
    "ko": re.compile("[\uac00-\ud7a3]"),
}
LATIN = re.compile("[A-Za-z]")


def script_of(locale):
    return SCRIPTS.get(locale.split("_")[0], re.compile(f"[{HAN}]"))


def messages(mo_path, wanted, originals):
    with open(mo_path, "rb") as f:
        catalog = gettext.GNUTranslations(f)
    # Sorted by the original text, so the output does not depend on hashing.
    for key in sorted(catalog._catalog, key=str):
        if key == "":
            continue
        text = key if originals else catalog._catalog[key]
        if isinstance(text, tuple):  # a plural form's key: (msgid, index)
            text = text[0]
        if not wanted.search(text):
            continue
        for line in text.splitlines():
            line = line.strip()
            if wanted.search(line):
                yield line


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("locale")
    parser.add_argument("output")
    parser.add_argument("--domain", default="*")
    parser.add_argument("--limit", type=int, default=0)
    parser.add_argument("--originals", action="store_true",
                        help="the original messages, not their translations")
    args = parser.parse_args()
    pattern = f"/usr/share/locale/{args.locale}/LC_MESSAGES/{args.domain}.mo"
    files = sorted(glob.glob(pattern))
    if not files:
        sys.exit(f"no translations match {pattern}")
    wanted = LATIN if args.originals else script_of(args.locale)
    written = 0
    with open(args.output, "w", encoding="utf-8", newline="\n") as out:
        for path in files:
            for line in messages(path, wanted, args.originals):
                data = line + "\n"
                size = len(data.encode("utf-8"))
                if args.limit and written + size > args.limit:
                    return
                out.write(data)
                written += size


if __name__ == "__main__":
    main()
