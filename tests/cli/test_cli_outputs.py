#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""velloran-cli, the real binary, in temporary trees: exit statuses and usage
errors, where outputs go (into a directory, as a tree, in place), the JSON
report field by field, and file names that are not UTF-8.

Usage: test_cli_outputs.py VELLORAN_CLI WINDOW_RUN
"""
import os
import shutil
import subprocess
import tempfile
import unittest

from cli_fixture import (FILE_KEYS, GBK, INVALID_GBK, PROGRAMS, TEXT, UTF8, CommandTest,
                         files_under, main, read, snapshot, write)


class Outputs(CommandTest):
    # -- exit statuses -----------------------------------------------------------------

    def test_exit_status(self):
        write(self.path("好/甲.txt"), GBK)
        write(self.path("坏/乙.txt"), INVALID_GBK)
        run = ["-f", "GBK", "-t", "UTF-8", "-o", self.out]
        cases = [
            (run + [self.path("好")], 0),
            (run + [self.path("好"), self.path("坏")], 1),
            (run + [self.path("不存在.txt")], 1),
        ]
        for args, status in cases:
            with self.subTest(args=args):
                self.assertEqual(self.cli(*args).returncode, status)

    def test_usage_errors_touch_nothing(self):
        write(self.path("甲.txt"), GBK)
        before = snapshot(self.scratch.name)
        # Which command lines are refused is test_cli_parts' table; here, one of
        # each kind reaches the binary's exit status.
        cases = [
            ["-f", "NO-SUCH-ENCODING", "-t", "UTF-8", "-o", self.out, self.root],
            ["-f", "GBK", "-t", "UTF-8", "-o", self.out, "--in-place", self.root],
            ["-f", "GBK", "-t", "UTF-8", "-o", self.out, "--depth", "深", self.root],
        ]
        for args in cases:
            with self.subTest(args=args):
                result = self.cli(*args)
                self.assertEqual(result.returncode, 2)
                self.assertIn(b"velloran-cli: ", result.stderr)
                self.assertEqual(result.stdout, b"")
                self.assertEqual(snapshot(self.scratch.name), before)

    def test_usage_errors_say_what_to_do(self):
        write(self.path("甲.txt"), GBK)
        elsewhere = tempfile.TemporaryDirectory(prefix="管道-")
        self.addCleanup(elsewhere.cleanup)
        fifo = os.path.join(elsewhere.name, "管道")  # where no snapshot would wait on it
        os.mkfifo(fifo)
        run = ["-f", "GBK", "-t", "UTF-8"]
        cases = [
            (run + ["-o", self.out, "--force", self.root],
             "--force is for --in-place: with -o, such files are converted anyway"),
            (run + ["-q", "-v", "-o", self.out, self.root], "-q and -v exclude each other"),
            (run + ["-o", self.out], "no PATH given: name the files or directories to convert, "
             "or pipe text into standard input"),
            (run + ["-o", self.out, fifo], f"{fifo} is a pipe, not a file: give it as standard "
             f"input instead (velloran-cli -f GBK -t UTF-8 - < {fifo})"),
            (["-f", "GBK//TRANSLIT", "-t", "UTF-8", "-o", self.out, self.root],
             "unknown encoding 'GBK//TRANSLIT': conversions are strict, with no //TRANSLIT or "
             "//IGNORE; velloran-cli --list lists the names it knows"),
            (["-f", "GBK", "-t", "UTF-8//IGNORE", "-o", self.out, self.root],
             "unknown encoding 'UTF-8//IGNORE': conversions are strict, with no //TRANSLIT or "
             "//IGNORE; velloran-cli --list lists the names it knows"),
            (["-f", "GBX", "-t", "UTF-8", "-o", self.out, self.root],
             "unknown encoding 'GBX'; velloran-cli --list lists the names it knows"),
        ]
        before = snapshot(self.scratch.name)
        for args, message in cases:
            with self.subTest(args=args):
                result = self.cli(*args)
                self.assertEqual(result.returncode, 2)
                self.assertEqual(result.stderr.decode().splitlines()[0], "velloran-cli: " + message)
                self.assertEqual(snapshot(self.scratch.name), before)

    def test_an_output_name_held_by_a_directory_is_named_as_the_output(self):
        write(self.path("甲.txt"), GBK)
        os.makedirs(os.path.join(self.out, "甲.txt"))
        result = self.cli("-f", "GBK", "-t", "UTF-8", "-o", self.out, self.path("甲.txt"))
        self.assertEqual(result.returncode, 1)
        self.assertIn(f"{self.path('甲.txt')} (cannot write {self.out}/甲.txt: Is a directory)\n",
                      result.stderr.decode())
        self.assertEqual(os.listdir(self.out), ["甲.txt"])

    def test_help_and_lists_that_cannot_be_written_say_so(self):
        for option in ("--help", "--list", "--man", "--version", "--completion=bash"):
            with self.subTest(option=option), open("/dev/full", "wb") as full:
                result = subprocess.run([PROGRAMS["cli"], option], stdout=full,
                                        stderr=subprocess.PIPE, timeout=300)
                self.assertEqual((result.returncode, result.stderr),
                                 (1, b"velloran-cli: cannot write the output: "
                                     b"No space left on device\n"))

    def test_help_version_and_manual(self):
        help_text = self.cli("--help")
        self.assertEqual(help_text.returncode, 0)
        self.assertTrue(help_text.stdout.startswith(b"Usage: velloran-cli -f FROM -t TO"))
        version = self.cli("-V")
        self.assertEqual(version.returncode, 0)
        self.assertRegex(version.stdout, rb"^velloran-cli \d+\.\d+")
        manual = self.cli("--man")
        self.assertTrue(manual.stdout.startswith(b".TH VELLORAN\\-CLI 1"))
        # The JSON report's fields, all of them, and what in place does to a link.
        for field in sorted(FILE_KEYS - {"input_bytes", "output_bytes"}):
            self.assertIn(f'"{field}"'.encode(), manual.stdout)
        self.assertIn("A PATH that is a symbolic link is replaced by a regular file holding the "
                      "converted text", " ".join(help_text.stdout.decode().split()))

    def test_a_report_that_cannot_be_written_is_a_failure(self):
        write(self.path("甲.txt"), GBK)
        with open("/dev/full", "wb") as full:
            result = subprocess.run([PROGRAMS["cli"], "-f", "GBK", "-t", "UTF-8", "--json",
                                     "--in-place", self.root], stdout=full,
                                    stderr=subprocess.PIPE, timeout=300)
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"cannot write the report", result.stderr)

    # -- where outputs go --------------------------------------------------------------

    def test_in_place(self):
        for depth, converted in (("-1", {"甲.txt", "子/乙.txt", "子/深/丙.txt"}),
                                 ("1", {"甲.txt", "子/乙.txt"})):
            with self.subTest(depth=depth):
                for name in ("甲.txt", "子/乙.txt", "子/深/丙.txt"):
                    write(self.path(name), GBK)
                write(self.path("子/说明.md"), GBK)
                result = self.cli("-f", "GBK", "-t", "UTF-8", "--in-place", "--depth", depth,
                                  self.root)
                self.assertEqual(result.returncode, 0, result.stderr)
                expected = {name: UTF8 if name in converted else GBK
                            for name in ("甲.txt", "子/乙.txt", "子/深/丙.txt", "子/说明.md")}
                self.assertEqual({os.fsdecode(k): v for k, v in files_under(self.root).items()},
                                 expected)

    def test_keep_tree_mirrors_the_directory_and_without_it_a_shared_output_is_refused(self):
        write(self.path("readme.txt"), "上层".encode("gbk"))
        write(self.path("附录/readme.txt"), "附录".encode("gbk"))
        single = os.path.join(self.scratch.name, "单独.log")
        write(single, GBK)
        mirrored = {"readme.txt": "上层".encode(), "附录/readme.txt": "附录".encode(),
                    "单独.log": UTF8}
        for keep_tree, status, outcomes in (
                (["--keep-tree"], 0, ["converted"] * 3),
                ([], 1, ["converted", "shared_output", "converted"])):
            with self.subTest(keep_tree=keep_tree):
                shutil.rmtree(self.out, ignore_errors=True)
                result, report = self.cli_json("-f", "GBK", "-t", "UTF-8", "-r", *keep_tree,
                                               "-o", self.out, self.root, single)
                self.assertEqual((result, self.outcomes(report)), (status, outcomes))
                self.assertEqual(report["files"][1]["same_as"], None if keep_tree else 0)
                written = {os.fsdecode(k): v for k, v in files_under(self.out).items()}
                if not keep_tree:
                    del mirrored["附录/readme.txt"]
                self.assertEqual(written, mirrored)

    # -- the JSON report ---------------------------------------------------------------

    def test_json_report_field_by_field(self):
        good = self.path("好.txt")
        invalid = self.path("坏.txt")
        unrepresentable = self.path("表情.txt")
        missing = self.path("缺.txt")
        gbk_name = os.path.join(os.fsencode(self.root), b"\xd6\xd0\xce\xc4.txt")
        write(good, "中文\n".encode())
        write(invalid, b"one\ntwo\nthree \xff\n")
        write(unrepresentable, "第一行\n笑\U0001F600\n".encode())
        write(gbk_name, "中文\n".encode())
        again = os.path.join(self.root, ".", "好.txt")
        status, report = self.cli_json("-f", "UTF-8", "-t", "GBK", "-o", self.out, good,
                                       invalid, unrepresentable, missing, os.fsdecode(gbk_name),
                                       again)
        self.assertEqual(status, 1)
        self.assertEqual(set(report), {"from", "to", "dry_run", "counts", "unreadable_directories",
                                       "files"})
        self.assertEqual(report["unreadable_directories"], [])
        self.assertEqual((report["from"], report["to"], report["dry_run"]), ("UTF-8", "GBK", False))
        self.assertEqual(report["counts"],
                         {"entries": 6, "converted": 3, "unchanged": 0, "failed": 3, "cancelled": 0})
        for entry in report["files"]:
            self.assertEqual(set(entry), FILE_KEYS)
        files = report["files"]

        def expect(index, **fields):
            for key, value in fields.items():
                with self.subTest(entry=index, field=key):
                    self.assertEqual(files[index][key], value)

        # Every field not named is null, or false.
        nulls = dict(dict.fromkeys(FILE_KEYS - {"input", "output", "outcome", "repeat"}),
                     repeat=False)
        utf8 = dict(nulls, encoding="UTF-8")
        expect(0, **dict(utf8, input=good, output=os.path.join(self.out, "好.txt"),
                         outcome="converted"))
        expect(1, **dict(utf8, input=invalid, output=os.path.join(self.out, "坏.txt"),
                         outcome="invalid_source", line=3))
        expect(2, **dict(utf8, input=unrepresentable, outcome="unrepresentable", line=2,
                         character="U+1F600"))
        del nulls["message"]
        expect(3, **dict(nulls, input=missing, outcome="cannot_read"))
        self.assertIsInstance(files[3]["message"], str)
        self.assertNotEqual(files[3]["message"], "")
        replaced = os.fsencode(self.root).decode() + "/\ufffd\ufffd\ufffd\ufffd.txt"
        expect(4, **dict(utf8, input=replaced, input_bytes=gbk_name.hex(),
                         output=os.fsencode(self.out).decode() + "/\ufffd\ufffd\ufffd\ufffd.txt",
                         output_bytes=os.path.join(os.fsencode(self.out),
                                                   b"\xd6\xd0\xce\xc4.txt").hex(),
                         outcome="converted"))
        # The same name again: written once, and sharing the first one's outcome.
        expect(5, input=again, output=os.path.join(self.out, "好.txt"), outcome="converted",
               repeat=True, same_as=0)
        self.assertEqual(read(os.path.join(self.out, "好.txt")), "中文\n".encode("gbk"))
        self.assertEqual(read(os.path.join(os.fsencode(self.out), b"\xd6\xd0\xce\xc4.txt")),
                         "中文\n".encode("gbk"))
        self.assertEqual(sorted(os.listdir(os.fsencode(self.out))),
                         sorted([b"\xd6\xd0\xce\xc4.txt", "好.txt".encode()]))

    def test_every_name_of_a_file_gets_its_own_output(self):
        real = self.path("真.txt")
        write(real, GBK)
        os.symlink("真.txt", self.path("链.txt"))
        os.link(real, self.path("硬.txt"))
        names = [real, self.path("链.txt"), self.path("硬.txt")]
        for args, outputs in ((["-o", self.out], [os.path.join(self.out, os.path.basename(n))
                                                  for n in names]),
                              (["--in-place"], names)):
            with self.subTest(args=args):
                status, report = self.cli_json("-f", "GBK", "-t", "UTF-8", *args, *names)
                self.assertEqual((status, self.outcomes(report)), (0, ["converted"] * 3))
                for entry, output in zip(report["files"], outputs):
                    self.assertEqual((entry["repeat"], entry["same_as"], entry["output"]),
                                     (False, None, output))
                    self.assertEqual(read(output), UTF8)
                write(real, GBK)
                os.unlink(self.path("硬.txt"))
                os.link(real, self.path("硬.txt"))

    def test_json_names_the_encoding_a_byte_order_mark_chose(self):
        # The field-by-field test above has the encoding of a plain and a missing file.
        write(self.path("有标记.txt"), b"\xff\xfe" + TEXT.encode("utf-16-le"))
        status, report = self.cli_json("-f", "UTF-8", "-t", "GB18030", "-o", self.out,
                                       self.path("有标记.txt"))
        self.assertEqual((status, report["files"][0]["encoding"]), (0, "UTF-16LE"))

    # -- file names that are not UTF-8 -------------------------------------------------

    def test_a_directory_of_gbk_named_files(self):
        root = os.fsencode(self.root)
        names = [b"\xd6\xd0\xce\xc4.txt", b"\xb2\xe2\xca\xd4.txt",
                 os.path.join(b"\xc4\xbf\xc2\xbc", b"\xce\xc4.txt")]
        for name in names:
            write(os.path.join(root, name), GBK)
        status, report = self.cli_json("-f", "GBK", "-t", "UTF-8", "-r", "--keep-tree", "-o",
                                       self.out, self.root)
        self.assertEqual(status, 0)
        self.assertEqual(files_under(self.out), {name: UTF8 for name in names})
        self.assertEqual(sorted(bytes.fromhex(entry["input_bytes"]) for entry in report["files"]),
                         sorted(os.path.join(root, name) for name in names))
        for entry in report["files"]:
            self.assertIn("\ufffd", entry["input"])
            self.assertEqual(os.path.relpath(bytes.fromhex(entry["output_bytes"]),
                                             os.fsencode(self.out)),
                             os.path.relpath(bytes.fromhex(entry["input_bytes"]), root))


if __name__ == "__main__":
    main()
