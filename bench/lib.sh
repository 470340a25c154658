# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Shared by compare.sh and batch.sh: where things are, the generated files,
# interleaved timing, medians and ratios. Source it; it sets -euo pipefail.
set -euo pipefail
export LC_ALL=C # a decimal point in $EPOCHREALTIME and awk

bench_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
CLI="${VELLORAN_CLI:-$bench_dir/../build/release/src/cli/velloran-cli}"
CORPUS="${VELLORAN_CORPUS:-/tmp/velloran-corpus}"
CORPUS_MB="${VELLORAN_CORPUS_MB:-200}"
WORK="${VELLORAN_BENCH_WORK:-/dev/shm/velloran-bench}" # outputs, on tmpfs
REPS="${REPS:-5}"
# The interpreter itself, not a version manager's shim in front of it.
PYTHON="${PYTHON:-$(python3 -c 'import sys; print(sys.executable)')}"

die() {
  echo "$*" >&2
  exit 1
}

require() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || die "missing $tool"
  done
  [[ -x "$CLI" ]] || die "no $CLI; build the release preset first"
}

# cli ARGS...: velloran-cli without its progress bar, and without its summary
# unless it fails.
cli() {
  local log="$WORK/cli.log"
  "$CLI" -q "$@" 2>"$log" || {
    cat "$log" >&2
    return 1
  }
}

# make_files DIR ARGS...: runs make_corpus.py DIR ARGS... unless DIR already
# holds a complete set made with the same arguments.
make_files() {
  local dir="$1"
  shift
  if [[ "$(cat "$dir/complete" 2>/dev/null)" != "$*" ]]; then
    echo "making $dir ($*)..." >&2
    rm -rf "$dir"
    "$PYTHON" "$bench_dir/make_corpus.py" "$dir" "$@"
  fi
}

ensure_corpus() {
  make_files "$CORPUS" --size "$CORPUS_MB"
  cat "$CORPUS"/*.txt >/dev/null # into the page cache
}

# big_file: the corpus's GB18030 file six times over (over 1 GiB), made when
# missing; prints its path.
big_file() {
  local big="$CORPUS/gb18030-big.txt"
  if [[ ! -f "$big" ]]; then
    for _ in 1 2 3 4 5 6; do cat "$CORPUS/gb18030.txt"; done >"$big.tmp"
    mv "$big.tmp" "$big"
  fi
  echo "$big"
}

# seconds COMMAND...: runs COMMAND (its output goes to stderr) and prints its
# wall-clock time.
seconds() {
  local start=$EPOCHREALTIME
  "$@" >&2 || die "failed: $*"
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", b - a }'
}

# interleave CONTENDER...: runs each contender (a function that writes into the
# new, empty directory given as its argument; afterwards $WORK/CONTENDER holds
# its last run's output) REPS times, rotating
# the order every repetition so that none always goes first. Fills TIMES
# (contender -> "t1 t2 ...") and MEDIAN (contender -> median seconds); with
# VERBOSE set, prints every time on stderr.
declare -A TIMES MEDIAN
interleave() {
  local n=$# rep i name
  local -a names=("$@")
  TIMES=() MEDIAN=()
  # Every run writes into a new directory, and none is deleted before all are
  # timed: right after thousands of files are deleted, ext4 passes over their
  # inodes for minutes when it makes new files, which would time the file
  # system's bookkeeping rather than the contender. The last run's output
  # stays, as $WORK/NAME, for the checks after.
  for name in "${names[@]}"; do rm -rf "${WORK:?}/$name" "$WORK/$name".run*; done
  for ((rep = 0; rep < REPS; rep++)); do
    for ((i = 0; i < n; i++)); do
      name=${names[(rep + i) % n]}
      mkdir -p "$WORK/$name.run$rep"
      TIMES[$name]+="$(seconds "$name" "$WORK/$name.run$rep") "
    done
  done
  for name in "${names[@]}"; do
    mv "$WORK/$name.run$((REPS - 1))" "$WORK/$name"
    rm -rf "$WORK/$name".run*
    # shellcheck disable=SC2034,SC2086 # the scripts read MEDIAN; TIMES is a list
    MEDIAN[$name]=$(median ${TIMES[$name]})
    [[ -z "${VERBOSE:-}" ]] || echo "  $name: ${TIMES[$name]}s" >&2
  done
}

median() {
  printf '%s\n' "$@" | sort -g |
    awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# divide A B [DECIMALS]
divide() {
  awk -v a="$1" -v b="$2" -v d="${3:-2}" 'BEGIN { printf "%.*f", d, a / b }'
}

# bytes FILE...: their total size.
bytes() {
  stat -c %s "$@" | awk '{ total += $1 } END { print total }'
}

# mbps BYTES SECONDS: megabytes (10^6) per second.
mbps() {
  awk -v b="$1" -v s="$2" 'BEGIN { printf "%.0f", b / s / 1e6 }'
}

# verdict VALUE TARGET: "ok" when VALUE >= TARGET, else how close it comes.
verdict() {
  awk -v v="$1" -v t="$2" 'BEGIN {
    if (v >= t) print "ok"; else printf "MISS, %.0f%% of target\n", v / t * 100 }'
}

# same_bytes A B: "same", or where the files first differ and their bytes there.
same_bytes() {
  local first offset
  if cmp -s "$1" "$2"; then
    echo same
    return
  fi
  first=$(cmp "$1" "$2" 2>&1 | head -1 || true)
  echo "DIFFER: $first"
  offset=$(sed -n 's/.*byte \([0-9]*\).*/\1/p' <<<"$first")
  if [[ -n "$offset" ]]; then
    offset=$((offset > 8 ? offset - 9 : 0))
    echo "  $1: $(od -An -tx1 -j "$offset" -N 16 "$1")"
    echo "  $2: $(od -An -tx1 -j "$offset" -N 16 "$2")"
  fi
}

# peak_rss_mib COMMAND...: the command's maximum resident set size, in MiB.
peak_rss_mib() {
  local log="$WORK/time-v.log"
  /usr/bin/time -v -o "$log" "$@" || die "failed: $*"
  awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$log"
}
