# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the package tests: skipping when a tool is missing, and failing.

# The exit code CTest counts as "skipped" (SKIP_RETURN_CODE in CMakeLists.txt).
readonly skipped=77

need_tool() {
  command -v "$1" >/dev/null && return
  echo "SKIP: $1 is not installed (scripts/install-deps.sh installs it)"
  exit $skipped
}

fail() {
  echo "FAIL: $*"
  exit 1
}
