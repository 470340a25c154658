#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# velloran-cli as a filter against the same file given as a PATH, side by
# side: the corpus's 200 MB GB18030 file to UTF-8 from a redirected standard
# input (to /dev/null, and into a file on tmpfs) and through cat,
# against the file as a PATH written into a tmpfs folder, on one worker (as a
# filter converts) and on all cores; then the filter's peak memory on a
# stream of over 1 GiB.
# Build the release preset first. Usage: bench/pipes.sh
# Environment: REPS (5), VELLORAN_CORPUS (/tmp/velloran-corpus),
# VELLORAN_CORPUS_MB (200), VELLORAN_BENCH_WORK (/dev/shm/velloran-bench).
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"
require /usr/bin/time
ensure_corpus

INPUT="$CORPUS/gb18030.txt"
NAME="${INPUT##*/}"
convert() { cli -f GB18030 -t UTF-8 "$@"; }
path_one_worker() { convert -j 1 -o "$1" "$INPUT"; }
path_all_cores() { convert -o "$1" "$INPUT"; }
redirected() { convert <"$INPUT" >/dev/null; }
# shellcheck disable=SC2002 # the pipe from another process is the point
through_cat() { cat "$INPUT" | convert >/dev/null; }
redirected_to_tmpfs() { convert <"$INPUT" >"$1/$NAME"; }

contenders=(path_one_worker path_all_cores redirected through_cat redirected_to_tmpfs)
echo "== GB18030->UTF-8, $(divide "$(bytes "$INPUT")" 1e6 0) MB: medians of $REPS interleaved runs"
echo "   target: a filter within 10 % of the file as a PATH (time ratio <= 1.10)"
interleave "${contenders[@]}"
printf '%-22s %8s %8s %11s %11s\n' contender seconds MB/s "/path -j 1" "/path all"
for name in "${contenders[@]}"; do
  printf '%-22s %8s %8s %11s %11s\n' "$name" "${MEDIAN[$name]}" \
    "$(mbps "$(bytes "$INPUT")" "${MEDIAN[$name]}")" \
    "$(divide "${MEDIAN[$name]}" "${MEDIAN[path_one_worker]}")" \
    "$(divide "${MEDIAN[$name]}" "${MEDIAN[path_all_cores]}")"
done
echo "redirected_to_tmpfs output vs path: $(same_bytes "$WORK/redirected_to_tmpfs/$NAME" \
  "$WORK/path_one_worker/$NAME")"
rm -rf "${WORK:?}"/*

echo
big=$(big_file)
echo "== Peak memory (maximum RSS) of the filter, GB18030->UTF-8 of" \
  "$(divide "$(bytes "$big")" 1073741824) GiB; target: small, whatever the size"
mkdir -p "$WORK"
# exec: the time measured is the command's own, not a shell's around it.
# shellcheck disable=SC2016 # expanded by that shell
filter='exec "$0" -q -f GB18030 -t UTF-8 <"$1" >/dev/null'
printf '%-22s %8s MiB\n' "redirected, 200 MB" "$(peak_rss_mib sh -c "$filter" "$CLI" "$INPUT")"
printf '%-22s %8s MiB\n' "redirected, 1.2 GB" "$(peak_rss_mib sh -c "$filter" "$CLI" "$big")"
# shellcheck disable=SC2016
printf '%-22s %8s MiB\n' "through cat, 1.2 GB" \
  "$(peak_rss_mib sh -c 'cat "$1" | exec "$0" -q -f GB18030 -t UTF-8 >/dev/null' "$CLI" "$big")"
rm -rf "${WORK:?}"/*
