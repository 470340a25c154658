#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Two builds of velloran-cli side by side, interleaved, on the work users
# have: a folder of 10,000 GB18030 files of about 4 KB (the source named, and
# "detect"), and the corpus's large files per direction on one worker and
# the 200 MB GB18030 file on all cores. Prints each median and new / old (a
# time ratio: below 1 is faster), and checks that both wrote the same bytes.
# Usage: OLD_CLI=/path/to/old/velloran-cli bench/versions.sh
# Environment: OLD_CLI (required), VELLORAN_CLI (the new one; by default this
# tree's release build), REPS (5), BATCH_FILES (10000), VELLORAN_CORPUS,
# VELLORAN_BENCH_WORK (/dev/shm/velloran-bench; a directory on disk measures
# the disk).
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"
require
OLD="${OLD_CLI:?set OLD_CLI to the velloran-cli to compare with}"
[[ -x "$OLD" ]] || die "no $OLD"
ensure_corpus
small="/tmp/velloran-batch-small"
make_files "$small" --files "${BATCH_FILES:-10000}" --file-size 4096
cat "$small"/f*.txt >/dev/null

ARGS=()
run_with() { "$1" -q "${ARGS[@]}" -o "$2" >/dev/null 2>"$WORK/versions.log" || true; }
old() { run_with "$OLD" "$1"; }
new() { run_with "$CLI" "$1"; }

# compare LABEL ARGS...: times both on the same arguments.
compare() {
  local label="$1"
  shift
  ARGS=("$@")
  interleave old new
  local same=same
  diff -rq "$WORK/old" "$WORK/new" >/dev/null || same=DIFFER
  printf '%-34s %8.3f %8.3f %7s  %s\n' "$label" "${MEDIAN[old]}" "${MEDIAN[new]}" \
    "$(divide "${MEDIAN[new]}" "${MEDIAN[old]}" 3)" "$same"
}

echo "== Medians of $REPS interleaved runs, in seconds, outputs in $WORK"
printf '%-34s %8s %8s %7s  %s\n' work old new new/old outputs
compare "10,000 files GB18030, named" -f GB18030 -t UTF-8 "$small"
compare "10,000 files GB18030, detect" -f detect -t UTF-8 "$small"
while read -r from to file; do
  compare "$file $from->$to, 1 worker" -f "$from" -t "$to" -j 1 "$CORPUS/$file"
done <<'LIST'
GB18030 UTF-8 gb18030.txt
UTF-8 GB18030 utf-8.txt
Big5 UTF-8 big5.txt
UTF-16 UTF-8 utf-16.txt
LIST
compare "gb18030.txt, all cores" -f GB18030 -t UTF-8 "$CORPUS/gb18030.txt"
