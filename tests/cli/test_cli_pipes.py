#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""velloran-cli as a filter, the real binary: standard input converted to
standard output, whether it is a pipe or a redirected file; empty and tiny
inputs, characters split between reads, a fault in the middle (nothing after
it written, its line named), detection, a reader that goes away, and the
command lines a filter refuses.

Usage: test_cli_pipes.py VELLORAN_CLI WINDOW_RUN
"""
import os
import pty
import signal
import subprocess
import time

from cli_fixture import (ENV, GBK, PROGRAMS, TEXT, UTF8, CommandTest, main, read, snapshot,
                         write)

GBK_TO_UTF8 = ["-f", "GBK", "-t", "UTF-8"]
# Longer than the 64 KiB the command looks at before converting, and than
# one read of a pipe.
LONG = 3000


class Pipes(CommandTest):
    def pipe(self, *args, data=b""):
        return subprocess.run([PROGRAMS["cli"], *args], input=data, capture_output=True, env=ENV,
                              timeout=300)

    def redirected(self, *args, data):
        """The command with standard input redirected from a file holding `data`."""
        write(self.path("输入.txt"), data)
        with open(self.path("输入.txt"), "rb") as source:
            return subprocess.run([PROGRAMS["cli"], *args], stdin=source, capture_output=True,
                                  env=ENV, timeout=300)

    def assert_converted(self, result, expected):
        self.assertEqual(result.stderr, b"")
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stdout, expected)

    def test_empty_one_byte_and_long_inputs(self):
        for data, expected in ((b"", b""), (b"a", b"a"), (GBK * LONG, UTF8 * LONG)):
            for path in (["-"], []):
                with self.subTest(size=len(data), path=path):
                    self.assert_converted(self.pipe(*GBK_TO_UTF8, *path, data=data), expected)
                    self.assert_converted(self.redirected(*GBK_TO_UTF8, *path, data=data),
                                          expected)

    def test_a_character_split_between_two_reads(self):
        # The first write is read whole before the second comes: both a short
        # stream and one longer than the look at its start see the split.
        # The output goes to a file, so that the command never waits for it.
        text = "中\U0001F600文\n"
        for codec, encoding in (("gb18030", "GB18030"), ("utf-16-le", "UTF-16LE"),
                                ("utf-8", "UTF-8")):
            data = text.encode(codec)
            for start in (b"", ("前言\n" * 20000).encode(codec)):
                for cut in range(1, len(data)):
                    with self.subTest(encoding=encoding, long=bool(start), cut=cut):
                        output = self.path("输出.txt")
                        with open(output, "wb") as sink:
                            process = subprocess.Popen(
                                [PROGRAMS["cli"], "-f", encoding, "-t", "UTF-8"], env=ENV,
                                stdin=subprocess.PIPE, stdout=sink, stderr=subprocess.PIPE)
                            process.stdin.write(start + data[:cut])
                            process.stdin.flush()
                            time.sleep(0.05)
                            _, err = process.communicate(data[cut:], timeout=300)
                        self.assertEqual((process.returncode, err), (0, b""))
                        self.assertEqual(read(output), (start.decode(codec) + text).encode())

    def test_a_fault_stops_the_output_and_names_its_line(self):
        good = GBK * LONG
        lines = good.count(b"\n")
        before = UTF8 * LONG + "第三行".encode()  # the faulty line starts with it
        data = good + "第三行".encode("gbk") + b"\xa1 \n" + good
        for run in (self.pipe, self.redirected):
            with self.subTest(run=run.__name__):
                result = run(*GBK_TO_UTF8, data=data)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stdout, before, "the text before the fault, all of it")
                self.assertEqual(result.stderr.decode(),
                                 f"velloran-cli: standard input, line {lines + 1}: bytes that are "
                                 "not valid in GBK; the output holds everything before it, the "
                                 f"start of line {lines + 1} included, and nothing from it on\n")

    def test_a_character_the_target_lacks_is_named(self):
        result = self.pipe("-f", "UTF-8", "-t", "GB2312", data="一\n二ß三\n".encode())
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr.decode(),
                         "velloran-cli: standard input, line 2: \"ß\" cannot be represented in "
                         "GB2312; the output holds everything before it, the start of line 2 "
                         "included, and nothing from it on\n")
        self.assertEqual(result.stdout, "一\n二".encode("gb2312"))

    def test_text_already_utf8_fails_the_command(self):
        # Refused before anything is written when the start looked at holds a
        # wide character; after a plain ASCII start longer than that look, it
        # stops where the UTF-8 text shows, as at a fault, and says so.
        utf8 = "中文\n".encode()
        ascii_start = b"plain ASCII\n" * 6000
        for data in (utf8, utf8 * 20000):
            with self.subTest(size=len(data)):
                result = self.pipe(*GBK_TO_UTF8, "-", data=data)
                self.assertEqual((result.returncode, result.stdout), (1, b""))
                self.assertEqual(result.stderr, b"velloran-cli: standard input is UTF-8 text "
                                 b"already, not GBK (-f UTF-8 reads it); nothing was written\n")
        for run in (self.pipe, self.redirected):
            with self.subTest(run=run.__name__):
                result = run(*GBK_TO_UTF8, data=ascii_start + b"line " + utf8 * 100)
                self.assertEqual((result.returncode, result.stdout), (1, ascii_start + b"line "))
                self.assertEqual(result.stderr.decode(),
                                 "velloran-cli: standard input, line 6001: UTF-8 text, not GBK "
                                 "(-f UTF-8 reads it); the output holds everything before it, the "
                                 "start of line 6001 included, and nothing from it on\n")

    def test_a_carriage_return_alone_ends_a_line(self):
        data = b"one\rtwo\r\nthree\n\r" + "第五行".encode("gbk") + b"\xa1 \n"
        for extra in ([], ["x" * 70000]):  # within the look at the start, and past it
            with self.subTest(longer=bool(extra)):
                start = "".join(f"{line}\n" for line in extra).encode()
                result = self.pipe(*GBK_TO_UTF8, data=start + data)
                self.assertIn(f"line {5 + len(extra)}: bytes".encode(), result.stderr)
                write(self.path("行.txt"), start + data)
                summary = self.cli(*GBK_TO_UTF8, "-o", self.out, self.path("行.txt"))
                self.assertIn(f"行.txt (line {5 + len(extra)})".encode(), summary.stderr)

    def test_detect_reads_what_it_needs_first(self):
        for repeat in (40, LONG):
            with self.subTest(size=len(TEXT) * repeat):
                data = (TEXT * repeat).encode("gb18030")
                self.assert_converted(self.pipe("-f", "detect", "-t", "UTF-8", data=data),
                                      UTF8 * repeat)
        undecided = self.pipe("-f", "detect", "-t", "UTF-8", "-", data="中文".encode("gbk"))
        self.assertEqual(undecided.returncode, 1)
        self.assertEqual(undecided.stdout, b"")
        self.assertIn(b"could not be detected (too short); nothing was written", undecided.stderr)

    def test_a_reader_that_goes_away_ends_the_command_quietly(self):
        # As with any filter of a pipeline (| head): SIGPIPE, no message.
        write(self.path("大.txt"), GBK * (64 * LONG))
        for args in ([*GBK_TO_UTF8], [*GBK_TO_UTF8, "--json", "-o", self.out, self.path("大.txt")],
                     [*GBK_TO_UTF8, "-v", "--json", "--dry-run", "-o", self.out, self.root]):
            with self.subTest(args=args[2:4]), open(self.path("大.txt"), "rb") as source:
                reader, writer = os.pipe()
                os.close(reader)  # gone before the first write
                process = subprocess.Popen([PROGRAMS["cli"], *args], stdin=source,
                                           stdout=writer, stderr=subprocess.PIPE, env=ENV)
                os.close(writer)
                err = process.stderr.read()
                process.wait(timeout=300)
                self.assertEqual(process.returncode, -signal.SIGPIPE)
                self.assertNotIn(b"velloran-cli: ", err)  # -v still tells its lines

    def test_a_signal_ends_a_filter_waiting_for_its_input(self):
        for number in (signal.SIGINT, signal.SIGTERM):
            with self.subTest(signal=number):
                process = subprocess.Popen([PROGRAMS["cli"], *GBK_TO_UTF8], env=ENV,
                                           stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                           stderr=subprocess.PIPE)
                process.stdin.write(GBK)
                process.stdin.flush()
                time.sleep(0.1)
                process.send_signal(number)
                process.communicate(timeout=60)
                self.assertEqual(process.returncode, -number)

    def test_what_a_filter_refuses(self):
        write(self.path("甲.txt"), GBK)
        before = snapshot(self.scratch.name)
        for extra in (["-o", self.out], ["--in-place"], ["--json"], ["-r"], ["-s", "srt"],
                      [self.path("甲.txt")], ["-v"], ["-j", "0"], ["--depth", "0"], ["--force"]):
            with self.subTest(extra=extra):
                result = self.pipe(*GBK_TO_UTF8, "-", *extra, data=GBK)
                self.assertEqual((result.returncode, result.stdout), (2, b""))
                self.assertIn(b"velloran-cli: ", result.stderr)
                self.assertEqual(snapshot(self.scratch.name), before)

    def test_standard_input_is_given_once(self):
        result = self.pipe(*GBK_TO_UTF8, "-", "-", data=GBK)
        self.assertEqual((result.returncode, result.stdout, result.stderr),
                         (2, b"", b"velloran-cli: - (standard input) can be given only once\n"
                                  b"Try 'velloran-cli --help' for more information.\n"))

    def test_without_path_a_terminal_is_not_read(self):
        leader, follower = pty.openpty()
        try:
            result = subprocess.run([PROGRAMS["cli"], *GBK_TO_UTF8], stdin=follower,
                                    capture_output=True, env=ENV, timeout=300)
        finally:
            os.close(leader)
            os.close(follower)
        self.assertEqual(result.returncode, 2)
        self.assertIn(b"velloran-cli: no PATH given: name the files or directories to convert, or "
                      b"pipe text into standard input\n", result.stderr)

    def test_help_and_manual_say_what_a_pipe_promises(self):
        for option in ("--help", "--man"):
            text = b" ".join(self.pipe(option).stdout.split()).decode()
            with self.subTest(option=option):
                self.assertIn("the text before it is written, the start of its line included, "
                              "nothing from it on", text.replace("\\", ""))
                self.assertIn("whole or not at all", text)


if __name__ == "__main__":
    main()
