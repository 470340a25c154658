#!/usr/bin/env python3
"""velloran-cli, the real binary, in temporary trees with Chinese names: exit
statuses, in-place and tree outputs, the JSON report field by field, dry runs
that touch nothing, cancellation by signal, GBK-encoded file names, the summary
and the progress bar, and agreement with a run made the way the window makes it.

Usage: test_cli_command.py VELLORAN_CLI WINDOW_RUN
"""
import json
import os
import pty
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

CLI = ""
WINDOW_RUN = ""
ENV = dict(os.environ, LC_ALL="C.UTF-8", LANG="C.UTF-8")

TEXT = "中文测试，第一行\r\n第二行：编码转换\n"
GBK = TEXT.encode("gbk")
UTF8 = TEXT.encode("utf-8")
INVALID_GBK = "第一行\n第二行\n".encode("gbk") + b"\xa1 \n"  # line 3: A1 lacks its trail byte

FILE_KEYS = {"input", "input_bytes", "output", "output_bytes", "outcome", "line", "character",
             "encoding", "likely", "reason", "same_as", "message"}


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def snapshot(root):
    """Every directory and file under root (bytes paths): modes, times, contents."""
    tree = {}
    root = os.fsencode(root)
    for directory, _, files in os.walk(root):
        info = os.stat(directory)
        tree[os.path.relpath(directory, root)] = ("dir", info.st_mode, info.st_mtime_ns)
        for name in files:
            path = os.path.join(directory, name)
            info = os.stat(path)
            tree[os.path.relpath(path, root)] = ("file", info.st_mode, info.st_mtime_ns, read(path))
    return tree


def files_under(root):
    """Relative path -> contents of every file under root."""
    return {path: entry[3] for path, entry in snapshot(root).items() if entry[0] == "file"}


class Command(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory(prefix="命令行-")
        self.root = os.path.join(self.scratch.name, "资料")
        self.out = os.path.join(self.scratch.name, "输出")
        os.makedirs(self.root)

    def tearDown(self):
        self.scratch.cleanup()

    def path(self, relative):
        return os.path.join(self.root, relative)

    def cli(self, *args):
        return subprocess.run([CLI, *args], capture_output=True, env=ENV, timeout=300)

    def cli_json(self, *args):
        result = self.cli("--json", *args)
        self.assertEqual(result.stderr, b"", "--json writes nothing on stderr")
        return result.returncode, json.loads(result.stdout)

    def outcomes(self, report):
        return [entry["outcome"] for entry in report["files"]]

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
        cases = [
            ["-f", "NO-SUCH-ENCODING", "-t", "UTF-8", "-o", self.out, self.root],
            ["-f", "GBK", "-t", "NO-SUCH-ENCODING", "--in-place", self.root],
            ["-f", "GBK", "-o", self.out, self.root],
            ["-f", "GBK", "-t", "UTF-8", self.root],
            ["-f", "GBK", "-t", "UTF-8", "-o", self.out, "--in-place", self.root],
            ["-f", "GBK", "-t", "UTF-8", "-o", self.out],
            ["-f", "GBK", "-t", "UTF-8", "-o", self.out, "--depth", "深", self.root],
            ["-f", "GBK", "-t", "UTF-8", "-o", self.out, "--no-such-option", self.root],
        ]
        for args in cases:
            with self.subTest(args=args):
                result = self.cli(*args)
                self.assertEqual(result.returncode, 2)
                self.assertIn(b"velloran-cli: ", result.stderr)
                self.assertEqual(result.stdout, b"")
                self.assertEqual(snapshot(self.scratch.name), before)

    def test_help_version_and_manual(self):
        help_text = self.cli("--help")
        self.assertEqual(help_text.returncode, 0)
        self.assertTrue(help_text.stdout.startswith(b"Usage: velloran-cli -f FROM -t TO"))
        version = self.cli("--version")
        self.assertEqual(version.returncode, 0)
        self.assertRegex(version.stdout, rb"^velloran-cli \d+\.\d+")
        manual = self.cli("--man")
        self.assertTrue(manual.stdout.startswith(b".TH VELLORAN\\-CLI 1"))

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

    def test_keep_tree_mirrors_the_directory(self):
        write(self.path("readme.txt"), "上层".encode("gbk"))
        write(self.path("附录/readme.txt"), "附录".encode("gbk"))
        write(os.path.join(self.scratch.name, "单独.log"), GBK)
        status, report = self.cli_json("-f", "GBK", "-t", "UTF-8", "-r", "--keep-tree", "-o",
                                       self.out, self.root,
                                       os.path.join(self.scratch.name, "单独.log"))
        self.assertEqual(status, 0)
        self.assertEqual(self.outcomes(report), ["converted"] * 3)
        self.assertEqual({os.fsdecode(k): v for k, v in files_under(self.out).items()},
                         {"readme.txt": "上层".encode(), "附录/readme.txt": "附录".encode(),
                          "单独.log": UTF8})

    def test_without_keep_tree_a_shared_output_is_refused(self):
        write(self.path("readme.txt"), "上层".encode("gbk"))
        write(self.path("附录/readme.txt"), "附录".encode("gbk"))
        status, report = self.cli_json("-f", "GBK", "-t", "UTF-8", "-r", "-o", self.out,
                                       self.root)
        self.assertEqual(status, 1)
        self.assertEqual(self.outcomes(report), ["converted", "shared_output"])
        self.assertEqual(report["files"][1]["same_as"], 0)
        self.assertEqual(files_under(self.out), {b"readme.txt": "上层".encode()})

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
        self.assertEqual(set(report), {"from", "to", "dry_run", "counts", "files"})
        self.assertEqual((report["from"], report["to"], report["dry_run"]), ("UTF-8", "GBK", False))
        self.assertEqual(report["counts"],
                         {"entries": 6, "converted": 3, "failed": 3, "cancelled": 0})
        for entry in report["files"]:
            self.assertEqual(set(entry), FILE_KEYS)
        files = report["files"]

        def expect(index, **fields):
            for key, value in fields.items():
                with self.subTest(entry=index, field=key):
                    self.assertEqual(files[index][key], value)

        plain = dict(input_bytes=None, output_bytes=None, likely=None, reason=None)
        expect(0, input=good, output=os.path.join(self.out, "好.txt"), outcome="converted",
               line=None, character=None, same_as=None, message=None, **plain)
        expect(1, input=invalid, output=os.path.join(self.out, "坏.txt"),
               outcome="invalid_source", line=3, character=None, same_as=None, message=None,
               input_bytes=None, output_bytes=None, reason=None)
        expect(2, input=unrepresentable, outcome="unrepresentable", line=2,
               character="U+1F600", same_as=None, message=None, **plain)
        expect(3, input=missing, outcome="cannot_read", line=None, character=None,
               encoding=None, same_as=None, **plain)
        self.assertIsInstance(files[3]["message"], str)
        self.assertNotEqual(files[3]["message"], "")
        replaced = os.fsencode(self.root).decode() + "/\ufffd\ufffd\ufffd\ufffd.txt"
        expect(4, input=replaced, input_bytes=gbk_name.hex(),
               output=os.fsencode(self.out).decode() + "/\ufffd\ufffd\ufffd\ufffd.txt",
               output_bytes=os.path.join(os.fsencode(self.out), b"\xd6\xd0\xce\xc4.txt").hex(),
               outcome="converted", line=None, character=None, likely=None, reason=None,
               same_as=None, message=None)
        expect(5, input=again, outcome="converted", same_as=0)
        self.assertEqual(read(os.path.join(self.out, "好.txt")), "中文\n".encode("gbk"))
        self.assertEqual(read(os.path.join(os.fsencode(self.out), b"\xd6\xd0\xce\xc4.txt")),
                         "中文\n".encode("gbk"))
        self.assertEqual(sorted(os.listdir(os.fsencode(self.out))),
                         sorted([b"\xd6\xd0\xce\xc4.txt", "好.txt".encode()]))

    # The engine's runs do not yet tell which encoding each file was read in.
    @unittest.expectedFailure
    def test_json_names_the_encoding_each_file_was_read_in(self):
        write(self.path("无标记.txt"), UTF8)
        write(self.path("有标记.txt"), b"\xff\xfe" + TEXT.encode("utf-16-le"))
        status, report = self.cli_json("-f", "UTF-8", "-t", "GB18030", "-o", self.out,
                                       self.path("无标记.txt"), self.path("有标记.txt"),
                                       self.path("缺.txt"))
        self.assertEqual(status, 1)
        self.assertEqual([entry["encoding"] for entry in report["files"]],
                         ["UTF-8", "UTF-16LE", None])

    # -- dry runs ----------------------------------------------------------------------

    def dry_and_real_runs(self):
        """For each output mode: the mode, a dry run (checked to touch nothing), then the
        real run, each as (status, report)."""
        write(self.path("甲.txt"), GBK)
        write(self.path("附录/甲.txt"), GBK)
        write(self.path("坏.txt"), INVALID_GBK)
        write(self.path("已是.txt"), UTF8)
        runs = []
        for mode in (["-o", self.out], ["-o", self.out, "--keep-tree"], ["--in-place"]):
            shutil.rmtree(self.out, ignore_errors=True)
            args = ["-f", "GBK", "-t", "UTF-8", "-r", *mode, self.root]
            before = snapshot(self.scratch.name)
            dry = self.cli_json("--dry-run", *args)
            self.assertEqual(snapshot(self.scratch.name), before)
            self.assertFalse(os.path.exists(self.out))
            self.assertTrue(dry[1]["dry_run"])
            summary = self.cli("--dry-run", *args)
            self.assertIn(b"Dry run: nothing was written.", summary.stderr)
            self.assertEqual(snapshot(self.scratch.name), before)
            real = self.cli_json(*args)
            self.assertFalse(real[1]["dry_run"])
            runs.append((mode, dry, real))
        return runs

    def test_dry_run_touches_nothing_and_plans_as_a_run(self):
        def planned(report):
            return [(entry["input"], entry["output"], entry["same_as"],
                     entry["outcome"] == "shared_output") for entry in report["files"]]

        for mode, (_, dry), (_, real) in self.dry_and_real_runs():
            with self.subTest(mode=mode):
                self.assertEqual(planned(dry), planned(real))
                self.assertEqual("shared_output" in self.outcomes(dry), mode == ["-o", self.out])

    # The engine's dry run does not yet decode the files nor apply the guards:
    # it reports every planned file as converted.
    @unittest.expectedFailure
    def test_dry_run_reports_what_a_run_does(self):
        for mode, (dry_status, dry), (status, real) in self.dry_and_real_runs():
            with self.subTest(mode=mode):
                self.assertEqual(status, dry_status)
                self.assertEqual((real["counts"], real["files"]), (dry["counts"], dry["files"]))
                self.assertIn("already_utf8", self.outcomes(real))
                self.assertIn("invalid_source", self.outcomes(real))

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
                    [CLI, "-f", "GBK", "-t", "UTF-8", "-j", "1", "-o", self.out, *extra, big,
                     small], stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
                self.assertTrue(self.wait_for_temporary_file(process),
                                "the conversion never wrote a temporary file")
                process.send_signal(number)
                stdout, stderr = process.communicate(timeout=120)
                self.assertEqual(process.returncode, 130, stderr)
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
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and process.poll() is None:
            if len(os.listdir(self.out)) > 1:
                return True
            time.sleep(0.001)
        return False

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

    # -- the summary and the progress bar ----------------------------------------------

    def test_summary_names_each_failure_with_line_and_character(self):
        missing = self.path("缺.txt")
        smiling = self.path("表情.txt")
        invisible = self.path("零宽.txt")
        invalid = self.path("坏.txt")
        good = self.path("好.txt")
        write(smiling, "第一行\n笑\U0001F600\n".encode())
        write(invisible, "零\u00a0宽\n".encode())
        write(invalid, b"one\ntwo\nthree \xff\n")
        write(good, UTF8)
        result = self.cli("-f", "UTF-8", "-t", "GBK", "-o", self.out, missing, smiling,
                          invisible, invalid, good)
        self.assertEqual(result.returncode, 1)
        text = result.stderr.decode()
        self.assertNotIn("\r", text, "no progress bar when stderr is not a terminal")
        self.assertTrue(text.startswith("Converted 1, failed 4\n"), text)
        self.assertRegex(text, f"\nThese files cannot be read:\n{missing} \\(.+\\)\n")
        self.assertIn("\nThese files hold bytes that are not valid in the source encoding:\n"
                      f"{invalid} (line 3", text)
        self.assertIn("\nThese files hold characters that the target encoding cannot "
                      f"represent:\n{smiling} (line 2: \"\U0001F600\")\n"
                      f"{invisible} (line 1: U+00A0)\n", text)

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
        process = subprocess.Popen([CLI, *args], stdout=subprocess.DEVNULL, stderr=terminal,
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

    # The engine's runs do not yet take "detect" as their source.
    @unittest.expectedFailure
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
        summary = self.cli("-f", "detect", "-t", "UTF-8", "--dry-run", "-o", self.out,
                           self.path("短.txt")).stderr.decode()
        self.assertIn("The encoding of these files could not be detected, so they were not "
                      f"converted:\n{self.path('短.txt')} ({files[2]['reason']})\n", summary)

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
        window = subprocess.run([WINDOW_RUN, "GBK", "UTF-8", window_out, self.root],
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
    CLI, WINDOW_RUN = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)
