#!/usr/bin/env bash
# What knowing the source costs, GB18030->UTF-8, with convert_folder (a run
# through convertRun, as velloran-cli makes it), interleaved:
#  - the source named against the same run with the guards switched off
#    (target: at most 10 % slower, a speed ratio of 0.91 or more);
#  - the source "detect" against the source named (target: at least 0.8 x
#    as fast);
# on many files of about 4 KB (with a share of the characters only GBK has,
# so that the shape of the bytes alone cannot rule out Big5) and on one large
# file (the corpus's gb18030.txt).
# Build the release preset first. Usage: bench/detect/speed.sh
# Environment: REPS (5), DETECT_FILES (10000), GBK_SHARE (0.01), and those of
# bench/lib.sh.
# shellcheck source-path=SCRIPTDIR source=../lib.sh
source "$(dirname "$0")/../lib.sh"
require cat diff
FOLDER_RUN="$bench_dir/../build/release/bench/detect/convert_folder"
[[ -x "$FOLDER_RUN" ]] || die "no $FOLDER_RUN; build the release preset first"
count="${DETECT_FILES:-10000}"
share="${GBK_SHARE:-0.01}"
small="/tmp/velloran-detect-small"

# run [--unguarded] SOURCE INPUT OUTPUT_DIR
run() { "$FOLDER_RUN" "${@:1:$#-2}" UTF-8 "${@: -2}"; }

make_files "$small" --files "$count" --file-size 4096 --gbk-share "$share"
cat "$small"/f*.txt >/dev/null # into the page cache

named_small() { run GB18030 "$small" "$1"; }
unguarded_small() { run --unguarded GB18030 "$small" "$1"; }
detect_small() { run detect "$small" "$1"; }

# ratio A B TARGET: how fast A runs next to B, against TARGET.
ratio() {
  local speed
  speed=$(divide "${MEDIAN[$2]}" "${MEDIAN[$1]}")
  printf '%-15s %9s s   %-15s %9s s   %s: %s (target %s: %s)\n' "$1" "${MEDIAN[$1]}" \
    "$2" "${MEDIAN[$2]}" "speed of $1 / $2" "$speed" "$3" "$(verdict "$speed" "$3")"
}

# compare SET: the three runs on SET side by side, with their ratios and
# whether they wrote the same files.
compare() {
  interleave "named_$1" "unguarded_$1" "detect_$1"
  ratio "named_$1" "unguarded_$1" 0.91
  ratio "detect_$1" "named_$1" 0.8
  local other
  for other in unguarded detect; do
    if diff -rq "$WORK/named_$1" "$WORK/${other}_$1" >/dev/null; then
      echo "outputs of named_$1 and ${other}_$1: same"
    else
      echo "outputs of named_$1 and ${other}_$1: DIFFER"
    fi
  done
}

echo "== $count files of about 4 KB (GBK-only share $share), medians of $REPS interleaved runs"
compare small
rm -rf "${WORK:?}"/*

ensure_corpus
large="$CORPUS/gb18030.txt"
named_large() { run GB18030 "$large" "$1"; }
unguarded_large() { run --unguarded GB18030 "$large" "$1"; }
detect_large() { run detect "$large" "$1"; }

echo
echo "== one file of $(divide "$(bytes "$large")" 1e6 0) MB, medians of $REPS interleaved runs"
compare large
rm -rf "${WORK:?}"/*
