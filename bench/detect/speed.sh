#!/usr/bin/env bash
# What knowing the source costs, GB18030->UTF-8:
#  - the source "detect" against the right encoding named (target: detect at
#    least 0.8 x as fast), on many files of about 4 KB and on one large file
#    (the corpus's gb18030.txt);
#  - with BASE_CLI set to a velloran-cli built without the guards (e.g. from
#    the commit before them), the guards' cost with the right encoding named,
#    on both sets (target: at most 10 % on the large file).
# Build the release preset first. Usage: bench/detect/speed.sh
# Environment: REPS (5), DETECT_FILES (2000), BASE_CLI, and those of bench/lib.sh.
# shellcheck source-path=SCRIPTDIR source=../lib.sh
source "$(dirname "$0")/../lib.sh"
require cat diff
count="${DETECT_FILES:-2000}"
small="/tmp/velloran-detect-small"

make_files "$small" --files "$count" --file-size 4096
cat "$small"/f*.txt >/dev/null # into the page cache

named_small() { cli -f GB18030 -t UTF-8 -o "$1" "$small"; }
detect_small() { cli -f detect -t UTF-8 -o "$1" "$small"; }
unguarded_small() { CLI="$BASE_CLI" cli -f GB18030 -t UTF-8 -o "$1" "$small"; }

# ratio A B TARGET: how fast A runs next to B, against TARGET.
ratio() {
  local speed
  speed=$(divide "${MEDIAN[$2]}" "${MEDIAN[$1]}")
  printf '%-15s %9s s   %-15s %9s s   %s: %s (target %s: %s)\n' "$1" "${MEDIAN[$1]}" \
    "$2" "${MEDIAN[$2]}" "speed of $1 / $2" "$speed" "$3" "$(verdict "$speed" "$3")"
}

# compare SET: the named source against "detect" on SET (and against the
# build without guards when there is one), side by side, with their ratios.
compare() {
  if [[ -n "${BASE_CLI:-}" ]]; then
    interleave "named_$1" "detect_$1" "unguarded_$1"
    ratio "named_$1" "unguarded_$1" 0.91
  else
    interleave "named_$1" "detect_$1"
  fi
  ratio "detect_$1" "named_$1" 0.8
}

echo "== $count files of about 4 KB, medians of $REPS interleaved runs"
compare small
if diff -rq "$WORK/named_small" "$WORK/detect_small" >/dev/null; then
  echo "outputs: same"
else
  echo "outputs: DIFFER in $(diff -rq "$WORK/named_small" "$WORK/detect_small" | wc -l) files"
fi
rm -rf "${WORK:?}"/*

ensure_corpus
large="$CORPUS/gb18030.txt"
named_large() { cli -f GB18030 -t UTF-8 -o "$1" "$large"; }
detect_large() { cli -f detect -t UTF-8 -o "$1" "$large"; }
unguarded_large() { CLI="$BASE_CLI" cli -f GB18030 -t UTF-8 -o "$1" "$large"; }

echo
echo "== one file of $(divide "$(bytes "$large")" 1e6 0) MB, medians of $REPS interleaved runs"
compare large
rm -rf "${WORK:?}"/*
