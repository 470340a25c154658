#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""velloran-cli, the real binary, in temporary trees: dry runs that touch
nothing, cancellation by signal, the summary and the progress bar, detection,
and agreement with a run made the way the window makes it.

Usage: test_cli_runs.py VELLORAN_CLI WINDOW_RUN
"""
import json
import os
import pty
import shutil
import signal
import subprocess
import time

from cli_fixture import (ENV, GBK, INVALID_GBK, PROGRAMS, UTF8, CommandTest, files_under, main,
                         read, snapshot, write)


class Runs(CommandTest):
    # -- dry runs ----------------------------------------------------------------------

    def test_dry_run_touches_nothing_and_plans_as_a_run(self):
        # In each output mode, a dry run (checked to touch nothing) against the real run.
        def planned(report):
            return [(entry["input"], entry["output"], entry["same_as"],
                     entry["outcome"] == "shared_output") for entry in report["files"]]

        write(self.path("甲.txt"), GBK)
        write(self.path("附录/甲.txt"), GBK)
        write(self.path("坏.txt"), INVALID_GBK)
        write(self.path("已是.txt"), UTF8)
        for mode in (["-o", self.out], ["-o", self.out, "--keep-tree"], ["--in-place"]):
            with self.subTest(mode=mode):
                shutil.rmtree(self.out, ignore_errors=True)
                args = ["-f", "GBK", "-t", "UTF-8", "-r", *mode, self.root]
                before = snapshot(self.scratch.name)
                _, dry = self.cli_json("--dry-run", *args)
                self.assertEqual(snapshot(self.scratch.name), before)
                self.assertFalse(os.path.exists(self.out))
                self.assertTrue(dry["dry_run"])
                summary = self.cli("--dry-run", *args)
                self.assertIn(b"Dry run: nothing was written.", summary.stderr)
                self.assertEqual(snapshot(self.scratch.name), before)

                _, real = self.cli_json(*args)
                self.assertFalse(real["dry_run"])
                self.assertEqual(planned(dry), planned(real))
                self.assertEqual(self.outcomes(dry), self.outcomes(real))
                self.assertEqual("shared_output" in self.outcomes(dry), mode == ["-o", self.out])

    # -- cancellation ------------------------------------------------------------------

    def test_a_signal_abandons_the_large_file_cleanly(self):
        big = self.path("大文件.txt")
        small = self.path("小.txt")
        write(big, GBK * ((96 << 20) // len(GBK)))
        write(small, GBK)
        old = os.path.join(self.out, "大文件.txt")
        write(old, b"old output")
        for number, extra in ((signal.SIGINT, ["--json"]), (signal.SIGTERM, [])):
            with self.subTest(signal=number):
                process = subprocess.Popen(
                    [PROGRAMS["cli"], "-f", "GBK", "-t", "UTF-8", "-j", "1", "-o", self.out, *extra, big,
                     small], stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
                self.assertTrue(self.wait_for_temporary_file(process),
                                "the conversion never wrote a temporary file")
                process.send_signal(number)
                stdout, stderr = process.communicate(timeout=120)
                self.assertEqual(process.returncode, 128 + number, stderr)  # 130, 143
                self.assertEqual(os.listdir(self.out), ["大文件.txt"])
                self.assertEqual(read(old), b"old output")
                if extra:
                    report = json.loads(stdout)
                    self.assertEqual(self.outcomes(report), ["cancelled", "cancelled"])
                    self.assertEqual(report["counts"]["cancelled"], 2)
                else:
                    text = stderr.decode()
                    self.assertIn("Converted 0, failed 0, cancelled 2\n", text)
                    self.assertIn("These files were not converted because the run was "
                                  f"cancelled:\n{big}\n{small}\n", text)

    def wait_for_temporary_file(self, process):
        # The temporary output may have no name (an unnamed file in the output
        # directory), so look for it among the process's open files.
        deadline = time.monotonic() + 60
        fds = f"/proc/{process.pid}/fd"
        while time.monotonic() < deadline and process.poll() is None:
            for fd in os.listdir(fds) if os.path.isdir(fds) else []:
                try:
                    target = os.readlink(os.path.join(fds, fd))
                except OSError:
                    continue
                if target.startswith(self.out + os.sep):
                    return True
            time.sleep(0.001)
        return False

    # -- the summary and the progress bar ----------------------------------------------

    def test_progress_bar_only_on_a_terminal_and_not_quiet(self):
        for quiet, expect_bar in (([], True), (["-q"], False)):
            with self.subTest(quiet=quiet):
                for index in range(20):
                    write(self.path(f"文件{index}.txt"), GBK)
                terminal = self.cli_on_terminal("-f", "GBK", "-t", "UTF-8", "--in-place", "-r",
                                                *quiet, self.root)
                self.assertEqual("/20 files" in terminal, expect_bar, terminal)
                self.assertIn("Converted 20, failed 0", terminal)

    def cli_on_terminal(self, *args):
        controller, terminal = pty.openpty()
        process = subprocess.Popen([PROGRAMS["cli"], *args], stdout=subprocess.DEVNULL, stderr=terminal,
                                   env=ENV)
        os.close(terminal)
        output = b""
        while True:
            try:
                chunk = os.read(controller, 4096)
            except OSError:  # the terminal closes when the command ends
                break
            if not chunk:
                break
            output += chunk
        os.close(controller)
        self.assertEqual(process.wait(timeout=60), 0)
        return output.decode(errors="replace")

    # -- detection ---------------------------------------------------------------------

    def test_detect_converts_what_it_recognises_and_names_the_rest(self):
        long_gbk = ("本软件将文本文件从一种字符编码转换为另一种字符编码，逐行严格检查。\n" * 40).encode("gbk")
        write(self.path("国标.txt"), long_gbk)
        write(self.path("带标记.txt"), b"\xef\xbb\xbf" + UTF8)
        write(self.path("短.txt"), "中".encode("gbk"))
        status, report = self.cli_json("-f", "detect", "-t", "UTF-8", "-o", self.out,
                                       self.path("国标.txt"), self.path("带标记.txt"),
                                       self.path("短.txt"))
        self.assertEqual(status, 1)
        files = report["files"]
        self.assertEqual(self.outcomes(report), ["converted", "converted", "undecided"])
        self.assertEqual(files[0]["encoding"], "GB18030")
        self.assertEqual(files[1]["encoding"], "UTF-8")
        self.assertIsInstance(files[2]["reason"], str)
        self.assertEqual(read(os.path.join(self.out, "国标.txt")), long_gbk.decode("gbk").encode())
        self.assertFalse(os.path.exists(os.path.join(self.out, "短.txt")))
        summary = self.cli("-f", "detect", "-t", "UTF-8", "-o", self.out,
                           self.path("短.txt")).stderr.decode()
        self.assertNotIn("\r", summary, "no progress bar when stderr is not a terminal")
        self.assertIn("The encoding of these files could not be detected, so they were not "
                      f"converted:\n{self.path('短.txt')} ({files[2]['reason']})\n", summary)
        # A dry run names such a file too.
        status, report = self.cli_json("-f", "detect", "-t", "UTF-8", "--dry-run", "-o",
                                       self.out, self.path("短.txt"))
        self.assertEqual((status, self.outcomes(report)), (1, ["undecided"]))

    def test_in_place_a_lookalike_stays_unless_forced(self):
        big5 = ("本軟體將文字檔案從一種字元編碼轉換為另一種字元編碼，逐行嚴格檢查。\n" * 40).encode("big5")
        write(self.path("繁體.txt"), big5)
        result = self.cli("-f", "GBK", "-t", "UTF-8", "--in-place", self.path("繁體.txt"))
        self.assertEqual(result.returncode, 1)
        self.assertIn(f"{self.path('繁體.txt')} (not converted: looks like Big5)\n",
                      result.stderr.decode())
        self.assertEqual(read(self.path("繁體.txt")), big5)
        status, report = self.cli_json("-f", "GBK", "-t", "UTF-8", "--in-place", "--force",
                                       self.path("繁體.txt"))
        self.assertEqual((status, self.outcomes(report)), (0, ["converted"]))
        self.assertEqual(report["files"][0]["likely"], "Big5")
        converted = read(self.path("繁體.txt"))
        self.assertNotEqual(converted, big5)
        converted.decode("utf-8")

    # -- the window and the command agree ----------------------------------------------

    def test_window_and_command_agree_on_a_mixed_tree(self):
        write(self.path("甲.txt"), GBK)
        write(self.path("附录/甲.txt"), "附录".encode("gbk"))
        write(self.path("坏.txt"), INVALID_GBK)
        write(self.path("已是.txt"), UTF8)
        write(self.path("空.txt"), b"")
        write(self.path("说明.md"), GBK)
        write(self.path(".隐藏.txt"), GBK)
        write(self.path("深/更深/丙.txt"), GBK)
        write(os.path.join(os.fsencode(self.root), b"\xd6\xd0.txt"), GBK)
        window_out = os.path.join(self.scratch.name, "窗口")
        os.makedirs(window_out)  # the window converts into a directory that exists
        window = subprocess.run([PROGRAMS["window_run"], "GBK", "UTF-8", window_out, self.root],
                                capture_output=True, env=ENV, timeout=300)
        self.assertEqual(window.returncode, 0, window.stderr)
        status, command = self.cli_json("-f", "GBK", "-t", "UTF-8", "-r", "-o", self.out,
                                        self.root)
        self.assertEqual(status, 1)

        def comparable(report):
            return [{key: value for key, value in entry.items()
                     if key not in ("output", "output_bytes")} for entry in report["files"]]

        self.assertEqual(comparable(command), comparable(json.loads(window.stdout)))
        self.assertEqual(files_under(self.out), files_under(window_out))
        self.assertEqual(len(command["files"]), 7)


if __name__ == "__main__":
    main()
