# SPDX-License-Identifier: GPL-3.0-or-later
"""What the tests of velloran-cli share: texts in GBK and UTF-8, file helpers,
tree snapshots, and a test case that runs the real binary in a temporary tree
with Chinese names. Each test script is run as
    SCRIPT VELLORAN_CLI WINDOW_RUN
"""
import json
import os
import subprocess
import sys
import tempfile
import unittest

# The programs under test, set by main() from the command line.
PROGRAMS = {"cli": "", "window_run": ""}
ENV = dict(os.environ, LC_ALL="C.UTF-8", LANG="C.UTF-8")

TEXT = "中文测试，第一行\r\n第二行：编码转换\n"
GBK = TEXT.encode("gbk")
UTF8 = TEXT.encode("utf-8")
INVALID_GBK = "第一行\n第二行\n".encode("gbk") + b"\xa1 \n"  # line 3: A1 lacks its trail byte

FILE_KEYS = {"input", "input_bytes", "output", "output_bytes", "outcome", "line", "character",
             "encoding", "likely", "reason", "repeat", "same_as", "message"}


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


class CommandTest(unittest.TestCase):
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
        return subprocess.run([PROGRAMS["cli"], *args], capture_output=True, env=ENV,
                              timeout=300)

    def cli_json(self, *args):
        result = self.cli("--json", *args)
        self.assertEqual(result.stderr, b"", "--json writes nothing on stderr")
        return result.returncode, json.loads(result.stdout)

    def outcomes(self, report):
        return [entry["outcome"] for entry in report["files"]]


def main():
    PROGRAMS["cli"], PROGRAMS["window_run"] = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)
