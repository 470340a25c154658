#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""velloran-cli, the real binary: the everyday options. --list, --bom checked
byte for byte, the completion scripts in bash, zsh and fish against --help,
and the directory filters' messages and exit statuses.

Usage: test_cli_options.py VELLORAN_CLI WINDOW_RUN
"""
import json
import os
import re
import shutil
import subprocess

from cli_fixture import ENV, GBK, PROGRAMS, TEXT, UTF8, CommandTest, main, read, snapshot, write

WINDOW_ENCODINGS = ["GB18030", "GBK", "GB2312", "Big5", "UTF-8", "UTF-16", "UTF-32", "UTF-7"]


def help_options():
    """Every option --help shows: "-f", "--from", "--in-place"..."""
    text = subprocess.run([PROGRAMS["cli"], "--help"], capture_output=True, text=True,
                          check=True).stdout
    options = set()
    for line in text.split("\nOptions:\n")[1].split("\n\n")[0].splitlines():
        match = re.match(r"  (?:(-\w), )?(--[\w-]+)", line)
        if match:
            options.update(name for name in match.groups() if name)
    return options


class Options(CommandTest):
    # -- --list ------------------------------------------------------------------------

    def test_list_names_the_windows_eight_first_then_every_encoding(self):
        result = self.cli("--list")
        self.assertEqual(result.returncode, 0)
        lines = result.stdout.decode().splitlines()
        self.assertEqual([line.split()[0] for line in lines[:8]], WINDOW_ENCODINGS)
        names = {line.split()[0] for line in lines}
        self.assertIn("UTF-16BE", names)
        self.assertIn("CP936", lines[1].split(), "GBK's line has its aliases")
        self.assertEqual(len(names), len(lines), "each encoding once")
        self.assertGreater(len(lines), 100)

    # -- --bom -------------------------------------------------------------------------

    def test_bom_both_ways_byte_for_byte(self):
        write(self.path("文.txt"), GBK)
        cases = [
            ("UTF-8", [], UTF8),
            ("UTF-8", ["--bom=yes"], b"\xef\xbb\xbf" + UTF8),
            ("UTF-8", ["--bom=no"], UTF8),
            ("UTF-16", [], b"\xff\xfe" + TEXT.encode("utf-16-le")),
            ("UTF-16", ["--bom=no"], TEXT.encode("utf-16-le")),
            ("UTF-16BE", ["--bom=yes"], b"\xfe\xff" + TEXT.encode("utf-16-be")),
            ("UTF-32", ["--bom=auto"], b"\xff\xfe\x00\x00" + TEXT.encode("utf-32-le")),
        ]
        for target, bom, expected in cases:
            with self.subTest(target=target, bom=bom):
                result = self.cli("-f", "GBK", "-t", target, *bom, "-o", self.out,
                                  self.path("文.txt"))
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(read(os.path.join(self.out, "文.txt")), expected)

    def test_bom_yes_for_a_target_without_a_mark_is_a_usage_error(self):
        write(self.path("文.txt"), GBK)
        before = snapshot(self.scratch.name)
        result = self.cli("-f", "GBK", "-t", "GB18030", "--bom=yes", "-o", self.out, self.root)
        self.assertEqual(result.returncode, 2)
        self.assertIn(b"GB18030 has no byte-order mark", result.stderr)
        self.assertEqual(snapshot(self.scratch.name), before)

    # -- completion --------------------------------------------------------------------

    def completion_file(self, shell, name):
        script = self.cli(f"--completion={shell}")
        self.assertEqual(script.returncode, 0)
        path = os.path.join(self.scratch.name, shell, name)
        write(path, script.stdout)
        return path

    def shell(self, name, *args):
        if shutil.which(name) is None:
            self.skipTest(f"{name} is not installed (scripts/install-deps.sh installs it)")
        path = os.pathsep.join([os.path.dirname(PROGRAMS["cli"]), ENV["PATH"]])
        return subprocess.run([name, *args], capture_output=True, text=True, timeout=60,
                              env=dict(ENV, PATH=path))

    def test_bash_completion_loads_and_offers_what_help_shows(self):
        script = self.completion_file("bash", "velloran-cli")

        def complete(*words):
            run = self.shell("bash", "-c", f'source "{script}"; complete -p velloran-cli; '
                             f'COMP_WORDS=(velloran-cli {" ".join(words)}); '
                             'COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); '
                             '_velloran_cli; printf "%s\\n" "${COMPREPLY[@]}"')
            self.assertEqual(run.returncode, 0, run.stderr)
            first, *offered = run.stdout.splitlines()
            self.assertEqual(first, "complete -o filenames -F _velloran_cli velloran-cli")
            return set(offered)

        self.assertEqual(complete("-"), help_options())
        self.assertIn("UTF-16BE", complete("-t", "UTF-16B"))
        self.assertEqual(complete("-f", "de"), {"detect"})
        self.assertIn("GBK", complete("-f", "gb"))  # names ignore case, as --from does
        self.assertEqual(complete("--bom", "=", ""), {"auto", "yes", "no"})

    def test_fish_completion_offers_what_help_shows(self):
        script = self.completion_file("fish", "velloran-cli.fish")

        def complete(line):
            run = self.shell("fish", "-c", f'source "{script}"; complete -C"{line}"')
            self.assertEqual(run.returncode, 0, run.stderr)
            return {entry.split("\t")[0] for entry in run.stdout.splitlines()}

        self.assertEqual(complete("velloran-cli -"), help_options())
        self.assertIn("UTF-16BE", complete("velloran-cli --to UTF-16B"))
        self.assertEqual(complete("velloran-cli --bom "), {"auto", "yes", "no"})

    def test_zsh_completion_loads_and_names_what_help_shows(self):
        script = self.completion_file("zsh", "_velloran-cli")
        run = self.shell("zsh", "-f", "-c",
                         f"fpath=({os.path.dirname(script)} $fpath); autoload -Uz compinit; "
                         f"compinit -u -d {self.scratch.name}/zcompdump; "
                         "print -r -- ${_comps[velloran-cli]}; autoload -Uz +X _velloran-cli")
        self.assertEqual((run.returncode, run.stdout), (0, "_velloran-cli\n"), run.stderr)
        listed = re.findall(r"^  '\*(--?[\w-]+)[+=]?\[", read(script).decode(), re.MULTILINE)
        self.assertEqual(set(listed), help_options())

    # -- directory filters -------------------------------------------------------------

    def test_a_directory_that_yields_nothing_is_named_and_nothing_to_convert_fails(self):
        write(self.path("说明.md"), GBK)
        write(self.path("下层/甲.txt"), GBK)
        before = snapshot(self.scratch.name)
        result = self.cli("-f", "GBK", "-t", "UTF-8", "-o", self.out, self.root)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr.decode(),
                         f"velloran-cli: {self.root}: no file with the suffix txt in the "
                         "directory alone (depth 0); it holds 1 file with other suffixes there, "
                         "and 1 file deeper (-r searches the whole tree)\n"
                         "velloran-cli: nothing to convert\n")
        self.assertEqual(snapshot(self.scratch.name), before, "not even the output folder")
        status, report = self.cli_json_allowing_notes("-f", "GBK", "-t", "UTF-8", "-r", "-s",
                                                      "log", "-o", self.out, self.root)
        self.assertEqual((status, report["files"]), (1, []))

    def cli_json_allowing_notes(self, *args):
        result = self.cli("--json", *args)
        return result.returncode, json.loads(result.stdout)

    def test_a_fruitless_directory_beside_others_is_only_named(self):
        write(self.path("甲.txt"), GBK)
        empty = os.path.join(self.scratch.name, "空")
        os.makedirs(empty)
        result = self.cli("-f", "GBK", "-t", "UTF-8", "-r", "-o", self.out, self.root, empty)
        self.assertEqual(result.returncode, 0)
        self.assertIn(f"velloran-cli: {empty}: no file with the suffix txt in the whole tree; "
                      "it holds 0 files with other suffixes\n", result.stderr.decode())
        self.assertEqual(read(os.path.join(self.out, "甲.txt")), UTF8)

    def test_a_suffix_with_its_dot_and_a_pattern(self):
        write(self.path("甲.txt"), GBK)
        result = self.cli("-f", "GBK", "-t", "UTF-8", "-s", ".txt", "-o", self.out, self.root)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(read(os.path.join(self.out, "甲.txt")), UTF8)
        shutil.rmtree(self.out)
        for args, message in (
                (["-s", "*.txt"], b"write -s txt instead of -s '*.txt'"),
                (["-t", "detect"], b"velloran-cli: detect is a source, not a target\n")):
            with self.subTest(args=args):
                result = self.cli("-f", "GBK", "-t", "UTF-8", *args, "-o", self.out, self.root)
                self.assertEqual(result.returncode, 2)
                self.assertIn(message, result.stderr)
                self.assertFalse(os.path.exists(self.out))

    # -- the output folder -------------------------------------------------------------

    def test_an_output_folder_that_cannot_be_made_stops_before_any_file_is_read(self):
        for name in ("甲.txt", "乙.txt"):
            write(self.path(name), GBK)
        blocker = os.path.join(self.scratch.name, "文件")
        write(blocker, b"a file, not a folder")
        for out in (os.path.join(blocker, "输出"), blocker):
            with self.subTest(out=out):
                before = snapshot(self.scratch.name)
                result = self.cli("-f", "GBK", "-t", "UTF-8", "-o", out, self.root)
                self.assertEqual(result.returncode, 2)
                self.assertEqual(result.stderr.count(b"velloran-cli: "), 1, result.stderr)
                self.assertIn(b"output directory", result.stderr)
                self.assertEqual(snapshot(self.scratch.name), before)
                # A dry run makes nothing, but stops where the run would.
                dry = self.cli("-f", "GBK", "-t", "UTF-8", "--dry-run", "-o", out, self.root)
                self.assertEqual((dry.returncode, dry.stderr), (2, result.stderr))


if __name__ == "__main__":
    main()
