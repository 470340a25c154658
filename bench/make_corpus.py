#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes a deterministic corpus of Chinese text for the benchmarks.

    make_corpus.py DIR [--size MB] [--seed N]
        One text in five encodings: DIR/gb18030.txt, gbk.txt, big5.txt,
        utf-8.txt and utf-16.txt (little-endian with a byte-order mark).
        The text is sized so that gb18030.txt has about MB megabytes
        (default 200); the other files hold the same text.

    make_corpus.py DIR --files N --file-size BYTES [--encoding gb18030] [--seed N]
                   [--gbk-share FRACTION]
        N files DIR/f00000.txt ... of about BYTES each (+-25 %), in one encoding.
        With --gbk-share, that fraction of the Chinese characters are ones
        that only GBK and GB18030 have (as in names and rarer words), whose
        bytes Big5 could also hold.

DIR/complete, written last, holds the arguments after DIR.

The text: lines of 10-120 characters, common Chinese characters that GB2312
and Big5 both have (so every encoding, glibc iconv and ICU agree on the bytes),
Chinese punctuation, about 15 % ASCII words and numbers, LF line ends with
some CR LF. The same seed gives the same bytes.
"""
import argparse
import itertools
import os
import random
import sys

# File name -> Python codec. UTF-16 gets its mark written separately.
ENCODINGS = {
    "gb18030.txt": "gb18030",
    "gbk.txt": "gbk",
    "big5.txt": "big5",
    "utf-8.txt": "utf-8",
    "utf-16.txt": "utf-16-le",
}
UTF16_MARK = b"\xff\xfe"

CLAUSE_ENDS = "，，，，、、；："
LINE_ENDS = "。。。。？！…"
QUOTES = ["“”", "‘’", "（）", "《》", "「」"]
ASCII_WORDS = ["Qt", "ICU", "UTF-8", "Linux", "file", "version", "CPU", "OK", "GB18030",
               "Big5", "http", "email", "PDF", "USB", "Wi-Fi", "app", "log", "README"]


def common_han():
    """GB2312 level-1 characters (the 3,755 most common) that Big5 also has."""
    chars = []
    for lead in range(0xB0, 0xD8):
        for trail in range(0xA1, 0xFF):
            try:
                c = bytes([lead, trail]).decode("gb2312")
                c.encode("big5")
            except UnicodeError:
                continue
            chars.append(c)
    return chars


def gbk_only_han():
    """Chinese characters of GBK that GB2312 does not have, with a trail byte
    below 0x80 (0x40-0x7E) like two Big5 characters in five."""
    chars = []
    for lead in range(0x81, 0xFF):
        for trail in range(0x40, 0x7F):
            try:
                c = bytes([lead, trail]).decode("gbk")
            except UnicodeError:
                continue
            if "\u4e00" <= c <= "\u9fff":
                chars.append(c)
    return chars


class TextMaker:
    def __init__(self, seed, gbk_share=0.0):
        self.rng = random.Random(seed)
        han = common_han()
        self.rng.shuffle(han)
        # Zipf-like frequencies: a few characters are very common, most are rare.
        self.han = han
        self.cum_weights = list(itertools.accumulate(1.0 / (rank + 8) for rank in range(len(han))))
        self.gbk_share = gbk_share
        self.gbk_only = gbk_only_han() if gbk_share else []

    def with_gbk_only(self, han):
        rng = self.rng
        return [rng.choice(self.gbk_only) if rng.random() < self.gbk_share else c for c in han]

    def ascii_token(self):
        rng = self.rng
        if rng.random() < 0.4:
            return " %d " % rng.randrange(100000)
        return " %s " % rng.choice(ASCII_WORDS)

    def line(self):
        rng = self.rng
        length = rng.randint(10, 120)
        han = rng.choices(self.han, cum_weights=self.cum_weights, k=length)
        if self.gbk_share:
            han = self.with_gbk_only(han)
        pieces = []
        start = 0
        while start < length:
            size = rng.randint(4, 14)
            clause = "".join(han[start:start + size])
            if rng.random() < 0.05:
                quote = rng.choice(QUOTES)
                clause = quote[0] + clause + quote[1]
            pieces.append(clause)
            if rng.random() < 0.3:
                pieces.append(self.ascii_token())
            start += size
            pieces.append(rng.choice(CLAUSE_ENDS) if start < length else rng.choice(LINE_ENDS))
        pieces.append("\r\n" if rng.random() < 0.05 else "\n")
        return "".join(pieces)

    def block(self, lines=2000):
        return "".join(self.line() for _ in range(lines))


def write_corpus(directory, megabytes, seed):
    maker = TextMaker(seed)
    wanted = megabytes * 1000 * 1000
    files = {name: open(os.path.join(directory, name), "wb") for name in ENCODINGS}
    files["utf-16.txt"].write(UTF16_MARK)
    written = 0
    while written < wanted:
        text = maker.block()
        for name, codec in ENCODINGS.items():
            data = text.encode(codec)
            files[name].write(data)
            if codec == "gb18030":
                written += len(data)
        if sys.stderr.isatty():
            print("\r%d/%d MB" % (written // 1000000, megabytes), end="", file=sys.stderr)
    for f in files.values():
        f.close()


def write_files(directory, count, size, codec, seed, gbk_share):
    maker = TextMaker(seed, gbk_share)
    for index in range(count):
        wanted = maker.rng.randint(size * 3 // 4, size * 5 // 4)
        data = b""
        while len(data) < wanted:
            data += maker.line().encode(codec)
        with open(os.path.join(directory, "f%05d.txt" % index), "wb") as f:
            f.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("directory")
    parser.add_argument("--size", type=int, default=200, help="MB of GB18030 text (default 200)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--files", type=int, help="write this many small files instead")
    parser.add_argument("--file-size", type=int, default=4096, help="bytes per small file")
    parser.add_argument("--encoding", default="gb18030", help="Python codec of the small files")
    parser.add_argument("--gbk-share", type=float, default=0.0,
                        help="share of GBK-only characters in the small files")
    args = parser.parse_args()
    if args.gbk_share and not (args.files and args.encoding in ("gb18030", "gbk")):
        parser.error("--gbk-share needs --files and a GBK or GB18030 encoding")
    os.makedirs(args.directory, exist_ok=True)
    if args.files:
        write_files(args.directory, args.files, args.file_size, args.encoding, args.seed,
                    args.gbk_share)
    else:
        write_corpus(args.directory, args.size, args.seed)
    # Scripts make the files again unless this marker holds the arguments they want.
    with open(os.path.join(args.directory, "complete"), "w") as f:
        f.write(" ".join(sys.argv[2:]) + "\n")


if __name__ == "__main__":
    main()
