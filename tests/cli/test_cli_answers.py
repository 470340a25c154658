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

    def test_names_cannot_reorder_what_the_reader_sees(self):
        # A right-to-left override shows "exe.txt" as "txt.exe"; the line and
        # paragraph separators break the line. All are escaped as controls are.
        for character in ("\u202a", "\u202e", "\u2066", "\u2069", "\u2028", "\u2029", "\u200f"):
            with self.subTest(character=hex(ord(character))):
                name = "甲" + character + "txt.exe"
                write(self.path(name + ".txt"), INVALID_GBK)
                escaped = "".join(f"\\x{byte:02X}" for byte in character.encode())
                result = self.cli("-f", "GBK", "-t", "UTF-8", "-o", self.out,
                                  self.path(name + ".txt"))
                text = result.stderr.decode()
                self.assertNotIn(character, text)
                self.assertIn("甲" + escaped + "txt.exe.txt (line 3)", text)
                os.remove(self.path(name + ".txt"))

    def test_a_shared_output_names_the_entry_that_keeps_the_place(self):
        # q/a.txt converted into q is converted under its own name: it keeps
        # the place, and p/a.txt, listed first, is the one refused.
        write(self.path("p/a.txt"), GBK)
        write(self.path("q/a.txt"), GBK)
        into = self.path("q")
        args = ["-f", "GBK", "-t", "UTF-8", "-o", into, self.path("p/a.txt"), self.path("q/a.txt")]
        status, report = self.cli_json(*args)
        self.assertEqual((status, self.outcomes(report)), (1, ["shared_output", "converted"]))
        self.assertEqual(report["files"][0]["same_as"], 1)
        result = self.cli(*args)
        self.assertIn("These files were not converted, since each would be written where another "
                      "file in the list is read or written, and that one keeps the place:\n"
                      f"{self.path('p/a.txt')} (the place of {self.path('q/a.txt')})\n",
                      result.stderr.decode())
        self.assertEqual(read(self.path("q/a.txt")), UTF8)
        self.assertEqual(read(self.path("p/a.txt")), GBK)
        self.assertIn("not converted (a file converted under its own name keeps its place)",
                      " ".join(self.cli("--help").stdout.decode().split()))

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
