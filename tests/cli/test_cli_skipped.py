#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""velloran-cli, the real binary: work it passes over is never hidden behind a
success. A directory it cannot read is named and fails the run, the output
directory inside a searched tree is left out of the search, and a dry run
checks the output directory as a run does.

Usage: test_cli_skipped.py VELLORAN_CLI WINDOW_RUN
"""
import json
import os
import shutil
import subprocess

from cli_fixture import ENV, GBK, PROGRAMS, UTF8, CommandTest, files_under, main, read, write

NOBODY = 65534


class Skipped(CommandTest):
    def setUp(self):
        super().setUp()
        # Permissions bind everyone but root: as root, the command runs as nobody.
        self.as_nobody = os.geteuid() == 0
        if self.as_nobody:
            os.chmod(self.scratch.name, 0o755)

    def tearDown(self):
        for directory, subdirectories, _ in os.walk(self.scratch.name):
            for name in subdirectories:
                os.chmod(os.path.join(directory, name), 0o755)
        super().tearDown()

    def cli(self, *args):
        if self.as_nobody:
            for directory, subdirectories, files in os.walk(self.scratch.name):
                for name in subdirectories + files:
                    os.lchown(os.path.join(directory, name), NOBODY, NOBODY)
            os.chown(self.scratch.name, NOBODY, NOBODY)
        return subprocess.run([PROGRAMS["cli"], *args], capture_output=True, env=ENV, timeout=300,
                              user=NOBODY if self.as_nobody else None,
                              group=NOBODY if self.as_nobody else None)

    def closed_tree(self):
        """资料/甲.txt beside 资料/封闭 (unreadable, holding 乙.txt)."""
        write(self.path("甲.txt"), GBK)
        write(self.path("封闭/乙.txt"), GBK)
        closed = self.path("封闭")
        os.chmod(closed, 0)
        return closed

    # -- directories that cannot be read -----------------------------------------------

    def test_an_unreadable_directory_in_the_tree_is_named_and_fails_the_run(self):
        closed = self.closed_tree()
        result = self.cli("-f", "GBK", "-t", "UTF-8", "-r", "-o", self.out, self.root)
        text = result.stderr.decode()
        self.assertEqual(result.returncode, 1, text)
        self.assertIn(f"velloran-cli: cannot read the directory {closed}: Permission denied\n",
                      text)
        self.assertIn("Converted 1, failed 0\n\nThese directories cannot be read, so the files "
                      f"in them were not searched:\n{closed} (Permission denied)\n", text)
        self.assertEqual(read(os.path.join(self.out, "甲.txt")), UTF8)

    def test_json_and_verbose_name_the_unreadable_directory(self):
        closed = self.closed_tree()
        args = ["-f", "GBK", "-t", "UTF-8", "-r", "-o", self.out, self.root]
        result = self.cli("--json", *args)
        self.assertEqual((result.returncode, result.stderr), (1, b""))
        report = json.loads(result.stdout)
        self.assertEqual(report["unreadable_directories"],
                         [{"path": closed, "path_bytes": None, "message": "Permission denied"}])
        self.assertEqual(self.outcomes(report), ["converted"])
        verbose = self.cli("-v", *args)
        self.assertEqual(verbose.returncode, 1)
        lines = verbose.stderr.decode().splitlines()
        self.assertEqual(lines[0], f"velloran-cli: cannot read the directory {closed}: "
                         "Permission denied")

    def test_an_unreadable_directory_given_is_not_called_empty(self):
        closed = self.closed_tree()
        result = self.cli("-f", "GBK", "-t", "UTF-8", "-o", self.out, closed)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr.decode(),
                         f"velloran-cli: cannot read the directory {closed}: Permission denied\n"
                         "velloran-cli: nothing to convert\n")

    # -- the output directory inside the tree ------------------------------------------

    def test_a_second_run_into_a_folder_of_the_tree_leaves_its_outputs_alone(self):
        write(self.path("甲.txt"), GBK)
        write(self.path("下层/乙.txt"), GBK)
        for mode in ([], ["--keep-tree"]):
            with self.subTest(mode=mode):
                inside = self.path("转换" + "".join(mode))
                args = ["-f", "GBK", "-t", "UTF-8", "-r", *mode, "-o", inside, self.root]
                first = self.cli(*args)
                self.assertEqual((first.returncode, first.stderr), (0, b"Converted 2, failed 0\n"))
                outputs = files_under(inside)
                second = self.cli(*args)
                self.assertEqual(second.returncode, 0, second.stderr)
                self.assertEqual(second.stderr.decode(),
                                 f"velloran-cli: the output directory {inside} is inside a "
                                 "directory searched; it is left out of the search\n"
                                 "Converted 2, failed 0\n")
                self.assertEqual(files_under(inside), outputs)
                self.assertEqual(set(outputs.values()), {UTF8})
                shutil.rmtree(inside)

    # -- a dry run checks the output directory -----------------------------------------

    def test_a_dry_run_refuses_an_output_directory_a_run_could_not_make(self):
        write(self.path("甲.txt"), GBK)
        closed = self.path("封闭")
        os.makedirs(closed)
        os.chmod(closed, 0o555)
        a_file = self.path("甲.txt")
        cases = [
            (os.path.join(closed, "新"), "cannot create the output directory {}: Permission denied"),
            (closed, "cannot write into the output directory {}: Permission denied"),
        ]
        for output, message in cases:
            with self.subTest(output=output):
                for dry in ([], ["--dry-run"]):
                    result = self.cli("-f", "GBK", "-t", "UTF-8", *dry, "-o", output, a_file)
                    self.assertEqual(
                        (result.returncode, result.stderr.decode()),
                        (2, "velloran-cli: " + message.format(output) + "\n"), dry)
        result = self.cli("-f", "GBK", "-t", "UTF-8", "--dry-run", "-o", self.path("新/更新"),
                          a_file)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertFalse(os.path.exists(self.path("新")))


if __name__ == "__main__":
    main()
