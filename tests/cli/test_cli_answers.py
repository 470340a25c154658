#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""velloran-cli, the real binary: answers that must not mislead. File names
that are not UTF-8 or hold control characters, escaped in the summary and the
lines of -v but exact in --json; a second run in place over converted files;
the lines of -v; a dry run's summary in the conditional.

Usage: test_cli_answers.py VELLORAN_CLI WINDOW_RUN
"""
import os

from cli_fixture import GBK, INVALID_GBK, UTF8, CommandTest, main, read, write

ESCAPES = os.fsencode("x") + b"\x1b[31mRED\x1b[0m\r\n.txt"
GBK_NAME = b"\xb2\xe2.txt"  # 测 in GBK


class Answers(CommandTest):
    def test_names_cannot_drive_the_terminal_but_json_keeps_their_bytes(self):
        root = os.fsencode(self.root)
        for name in (ESCAPES, GBK_NAME):
            write(os.path.join(root, name), INVALID_GBK)
        args = ["-f", "GBK", "-t", "UTF-8", "-o", self.out, self.root]
        escaped = [b"x\\x1B[31mRED\\x1B[0m\\x0D\\x0A.txt", b"\\xB2\\xE2.txt"]
        for extra in ([], ["-v"]):
            with self.subTest(extra=extra):
                result = self.cli(*extra, *args)
                self.assertEqual(result.returncode, 1)
                for raw in (b"\x1b", b"\r", b"\xb2"):
                    self.assertNotIn(raw, result.stderr)
                for name in escaped:
                    self.assertIn(name, result.stderr)
                    if extra:
                        self.assertIn(b"invalid source (GBK): " + root + b"/" + name + b" -> ",
                                      result.stderr)
        status, report = self.cli_json(*args)
        inputs = {entry["input"]: entry["input_bytes"] for entry in report["files"]}
        self.assertIn(self.root + "/x\u001b[31mRED\u001b[0m\r\n.txt", inputs)
        self.assertIn(os.path.join(root, GBK_NAME).hex(), inputs.values())

    def test_a_second_run_in_place_leaves_converted_files_unchanged(self):
        write(self.path("甲.txt"), GBK)
        write(self.path("子/乙.txt"), GBK)
        write(self.path("英文.txt"), b"plain ASCII\n")
        write(self.path("已是.txt"), UTF8)
        command = ["-f", "GBK", "-t", "UTF-8", "-r", "--in-place", self.root]
        status, first = self.cli_json(*command)
        self.assertEqual(status, 0)
        self.assertEqual(sorted(self.outcomes(first)),
                         ["converted", "converted", "unchanged", "unchanged"])
        stamps = {path: os.stat(path).st_mtime_ns for path in
                  (self.path(name) for name in ("甲.txt", "子/乙.txt", "英文.txt", "已是.txt"))}

        status, second = self.cli_json(*command)
        self.assertEqual(status, 0)
        self.assertEqual(self.outcomes(second), ["unchanged"] * 4)
        self.assertEqual(second["counts"], {"entries": 4, "converted": 0, "unchanged": 4,
                                            "failed": 0, "cancelled": 0})
        self.assertEqual({path: os.stat(path).st_mtime_ns for path in stamps}, stamps)
        self.assertEqual(read(self.path("甲.txt")), UTF8)
        summary = self.cli(*command)
        self.assertEqual((summary.returncode, summary.stderr),
                         (0, b"Converted 0, unchanged 4, failed 0\n"))

    def test_verbose_tells_each_file_as_it_finishes(self):
        long_gbk = ("本软件将文本文件从一种字符编码转换为另一种字符编码，逐行严格检查。\n" * 40).encode("gbk")
        write(self.path("国标.txt"), long_gbk)
        write(self.path("短.txt"), "中".encode("gbk"))
        result = self.cli("-v", "-f", "detect", "-t", "UTF-8", "-o", self.out, self.root)
        self.assertEqual(result.returncode, 1)
        lines = result.stderr.decode().splitlines()
        out = os.path.join(self.out, "")
        self.assertIn(f"converted (GB18030): {self.path('国标.txt')} -> {out}国标.txt", lines)
        self.assertTrue(any(line.startswith(f"undecided: {self.path('短.txt')} -> {out}短.txt (")
                            for line in lines), lines)
        self.assertIn("Converted 1, failed 1", lines)

    def test_a_dry_run_speaks_in_the_conditional(self):
        write(self.path("甲.txt"), GBK)
        write(self.path("坏.txt"), INVALID_GBK)
        result = self.cli("--dry-run", "-v", "-f", "GBK", "-t", "UTF-8", "-o", self.out, self.root)
        text = result.stderr.decode()
        self.assertIn("Dry run: nothing was written.\nWould convert 1, fail 1\n", text)
        self.assertIn(f"would convert (GBK): {self.path('甲.txt')} -> ", text)
        self.assertFalse(os.path.exists(self.out))


if __name__ == "__main__":
    main()
