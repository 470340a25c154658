#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Batches, GB18030->UTF-8, side by side:
#  - 10,000 files of about 4 KB: the engine's run on all cores
#    (velloran-cli on their directory, scan included) against glibc iconv run once per file, one
#    Python process converting them all with its codecs, and cp copying them unconverted (on a
#    real disk, creating the files is most of the time: VELLORAN_BENCH_WORK=/var/tmp/x measures it);
#    and, as the floor under the engine, atomic_copy: the engine's own output bytes (made once
#    beforehand) copied the way the engine writes (an unnamed file linked into place), on as
#    many threads, converting nothing;
#  - 4 large files (the corpus's gb18030.txt cut at line ends): the engine's
#    batch with one worker against two.
# Build the release preset first. Usage: bench/batch.sh
# Environment: REPS (5), BATCH_FILES (10000), VELLORAN_CORPUS (/tmp/velloran-corpus),
# VELLORAN_BENCH_WORK (/dev/shm/velloran-bench), PYTHON.
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"
require iconv split
ATOMIC_COPY="$bench_dir/../build/release/bench/floor/atomic_copy"
[[ -x "$ATOMIC_COPY" ]] || die "no $ATOMIC_COPY; build the release preset first"
count="${BATCH_FILES:-10000}"
small="/tmp/velloran-batch-small"
large="/tmp/velloran-batch-large"

make_files "$small" --files "$count" --file-size 4096
list="$small.list"
printf '%s\n' "$small"/f*.txt >"$list"
cat "$small"/f*.txt >/dev/null # into the page cache

engine_batch() { cli -f GB18030 -t UTF-8 -o "$1" "$small"; }
iconv_per_file() {
  local file
  while read -r file; do
    iconv -f GB18030 -t UTF-8 "$file" >"$1/${file##*/}" || return 1
  done <"$list"
}
cp_files() { cp "$small"/f*.txt "$1"/; }
atomic_copy() { "$ATOMIC_COPY" "$converted_list" "$1" "$(nproc)"; }
python_codecs() {
  "$PYTHON" - "$list" "$1" <<'EOF'
import os, sys
out = sys.argv[2]
with open(sys.argv[1], encoding="utf-8") as listing:
    for path in listing.read().splitlines():
        with open(path, "rb") as f:
            text = f.read().decode("gb18030")
        with open(os.path.join(out, os.path.basename(path)), "wb") as f:
            f.write(text.encode("utf-8"))
EOF
}

# What the engine writes, for atomic_copy to copy: its floor writes the same bytes.
converted="$small-utf8"
converted_list="$converted.list"
if [[ "$(cat "$converted/complete" 2>/dev/null)" != "$(cat "$small/complete")" ]]; then
  rm -rf "$converted"
  mkdir -p "$converted"
  python_codecs "$converted"
  cat "$small/complete" >"$converted/complete"
fi
printf '%s\n' "$converted"/f*.txt >"$converted_list"
cat "$converted"/f*.txt >/dev/null

echo "== $count files of about 4 KB ($(divide "$(bytes "$small"/f*.txt)" 1e6 1) MB), GB18030->UTF-8"
echo "   in $WORK; medians of $REPS interleaved runs; targets: engine >= 30 x iconv per file,"
echo "   >= 2.5 x Python, >= 1 x cp"
interleave engine_batch iconv_per_file python_codecs cp_files atomic_copy
printf '%-16s %10s %9s %16s  %s\n' contender files/s seconds "engine is x" target
for name in engine_batch iconv_per_file python_codecs cp_files atomic_copy; do
  speedup=$(divide "${MEDIAN[$name]}" "${MEDIAN[engine_batch]}")
  case $name in
    iconv_per_file) target=$(verdict "$speedup" 30) ;;
    python_codecs) target=$(verdict "$speedup" 2.5) ;;
    cp_files) target=$(verdict "$speedup" 1) ;;
    *) target= ;;
  esac
  printf '%-16s %10s %9s %16s  %s\n' "$name" "$(divide "$count" "${MEDIAN[$name]}" 0)" \
    "${MEDIAN[$name]}" "$speedup" "$target"
done
echo "python_codecs / atomic_copy: $(divide "${MEDIAN[python_codecs]}" "${MEDIAN[atomic_copy]}")" \
  "(the most any converter that writes this way, on these threads, could reach against Python)"
for name in iconv_per_file python_codecs; do
  if diff -rq "$WORK/engine_batch" "$WORK/$name" >/dev/null; then
    echo "outputs of engine_batch and $name: same"
  else
    echo "outputs of engine_batch and $name: DIFFER in $(diff -rq "$WORK/engine_batch" "$WORK/$name" | wc -l) files"
  fi
done
rm -rf "${WORK:?}"/*

if [[ "$(cat "$large/complete" 2>/dev/null)" != "$CORPUS/gb18030.txt" ]]; then
  ensure_corpus
  rm -rf "$large"
  mkdir -p "$large"
  split -n l/4 -d --additional-suffix=.txt "$CORPUS/gb18030.txt" "$large/part"
  echo "$CORPUS/gb18030.txt" >"$large/complete"
fi
cat "$large"/part*.txt >/dev/null

one_worker() { cli -f GB18030 -t UTF-8 -o "$1" -j 1 "$large"/part*.txt; }
two_workers() { cli -f GB18030 -t UTF-8 -o "$1" -j 2 "$large"/part*.txt; }

echo
echo "== 4 files of about $(divide "$(bytes "$large"/part*.txt)" 4e6 0) MB, GB18030->UTF-8, one worker against two"
interleave one_worker two_workers
for name in one_worker two_workers; do
  printf '%-16s %8s MB/s %9s s\n' "$name" \
    "$(mbps "$(bytes "$large"/part*.txt)" "${MEDIAN[$name]}")" \
    "${MEDIAN[$name]}"
done
speedup=$(divide "${MEDIAN[one_worker]}" "${MEDIAN[two_workers]}")
echo "two workers / one: $speedup (target 1.7: $(verdict "$speedup" 1.7))"
rm -rf "${WORK:?}"/*
