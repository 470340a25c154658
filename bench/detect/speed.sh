#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What knowing the source costs, GB18030->UTF-8, with convert_folder (a run
# through convertRun, as velloran-cli makes it), interleaved:
#  - the source named against the same run with the guards switched off
#    (target: at most 10 % slower, a speed ratio of 0.91 or more);
#  - the source "detect" against the source named (target: at least 0.8 x
#    as fast);
# on many files of about 4 KB (with a share of the characters only GBK has,
# so that the shape of the bytes alone cannot rule out Big5) and on one large
# file (the corpus's gb18030.txt).
# With VELLORAN_CONVERT_FOLDER_BEFORE (a convert_folder built from an earlier
# commit), its named run is interleaved with the others, against the named
# run of this one (target: at most 10 % slower, a speed ratio of 0.91).
# Build the release preset first. Usage: bench/detect/speed.sh
# Environment: REPS (5), DETECT_FILES (10000), GBK_SHARE (0.01),
# VELLORAN_CONVERT_FOLDER (the convert_folder to time, e.g. one built from
# another commit), and those of bench/lib.sh. Each run is timed by the clock and by its CPU time (user and
# system), which is the fairer measure on a busy machine.
# shellcheck source-path=SCRIPTDIR source=../lib.sh
source "$(dirname "$0")/../lib.sh"
require cat diff
FOLDER_RUN="${VELLORAN_CONVERT_FOLDER:-$bench_dir/../build/release/bench/detect/convert_folder}"
[[ -x "$FOLDER_RUN" ]] || die "no $FOLDER_RUN; build the release preset first"
BEFORE="${VELLORAN_CONVERT_FOLDER_BEFORE:-}"
[[ -z "$BEFORE" || -x "$BEFORE" ]] || die "no $BEFORE"
count="${DETECT_FILES:-10000}"
share="${GBK_SHARE:-0.01}"
small="/tmp/velloran-detect-small"

# run NAME [--unguarded] SOURCE INPUT OUTPUT_DIR: convert_folder to UTF-8,
# its CPU seconds (user and system) added to $WORK/NAME.cpu.
run() {
  local name=$1
  shift
  /usr/bin/time -f '%U %S' -o "$WORK/time.log" \
    "${TOOL:-$FOLDER_RUN}" "${@:1:$#-2}" UTF-8 "${@: -2}" || return 1
  awk '{ print $1 + $2 }' "$WORK/time.log" >>"$WORK/$name.cpu"
}

make_files "$small" --files "$count" --file-size 4096 --gbk-share "$share"
cat "$small"/f*.txt >/dev/null # into the page cache

named_small() { run "${FUNCNAME[0]}" GB18030 "$small" "$1"; }
unguarded_small() { run "${FUNCNAME[0]}" --unguarded GB18030 "$small" "$1"; }
detect_small() { run "${FUNCNAME[0]}" detect "$small" "$1"; }
before_small() { TOOL="$BEFORE" run "${FUNCNAME[0]}" GB18030 "$small" "$1"; }

# ratio A B TARGET: how fast A runs next to B, against TARGET, by the
# medians of wall-clock time and of CPU time.
ratio() {
  local speed cpu_a cpu_b cpu_speed
  speed=$(divide "${MEDIAN[$2]}" "${MEDIAN[$1]}")
  # shellcheck disable=SC2046 # one time a line
  cpu_a=$(median $(cat "$WORK/$1.cpu"))
  # shellcheck disable=SC2046
  cpu_b=$(median $(cat "$WORK/$2.cpu"))
  cpu_speed=$(divide "$cpu_b" "$cpu_a")
  printf '%-15s %7s s %7s s CPU   %-15s %7s s %7s s CPU\n' "$1" "${MEDIAN[$1]}" "$cpu_a" \
    "$2" "${MEDIAN[$2]}" "$cpu_b"
  printf '  speed of %s / %s: %s, by CPU time %s (target %s: %s, by CPU time %s)\n' "$1" "$2" \
    "$speed" "$cpu_speed" "$3" "$(verdict "$speed" "$3")" "$(verdict "$cpu_speed" "$3")"
}

# compare SET: the three runs on SET side by side, with their ratios and
# whether they wrote the same files.
compare() {
  rm -f "$WORK"/*.cpu
  local runs=("named_$1" "unguarded_$1" "detect_$1")
  [[ -z "$BEFORE" ]] || runs+=("before_$1")
  interleave "${runs[@]}"
  ratio "named_$1" "unguarded_$1" 0.91
  ratio "detect_$1" "named_$1" 0.8
  [[ -z "$BEFORE" ]] || ratio "named_$1" "before_$1" 0.91
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
named_large() { run "${FUNCNAME[0]}" GB18030 "$large" "$1"; }
unguarded_large() { run "${FUNCNAME[0]}" --unguarded GB18030 "$large" "$1"; }
detect_large() { run "${FUNCNAME[0]}" detect "$large" "$1"; }
before_large() { TOOL="$BEFORE" run "${FUNCNAME[0]}" GB18030 "$large" "$1"; }

echo
echo "== one file of $(divide "$(bytes "$large")" 1e6 0) MB, medians of $REPS interleaved runs"
compare large
rm -rf "${WORK:?}"/*
