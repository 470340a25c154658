#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The engine (velloran-cli) against glibc iconv and ICU uconv on the corpus,
# side by side: per direction on one worker, one large GB18030 file on one
# worker and on all cores, and peak memory on a file of over 1 GiB.
# Build the release preset first. Usage: bench/compare.sh
# Environment: REPS (5), VELLORAN_CORPUS (/tmp/velloran-corpus),
# VELLORAN_CORPUS_MB (200), VELLORAN_BENCH_WORK (/dev/shm/velloran-bench).
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"
require iconv uconv /usr/bin/time
ensure_corpus

# The direction being measured: engine/ICU names, glibc names, input file.
FROM='' TO='' IFROM='' ITO='' INPUT=''
engine() { cli -f "$FROM" -t "$TO" -o "$1" -j 1 "$INPUT"; }
engine_all_cores() { cli -f "$FROM" -t "$TO" -o "$1" "$INPUT"; }
glibc_iconv() { iconv -f "$IFROM" -t "$ITO" "$INPUT" >"$1/${INPUT##*/}"; }
icu_uconv() { uconv --callback stop -f "$FROM" -t "$TO" "$INPUT" >"$1/${INPUT##*/}"; }

output() { echo "$WORK/$1/${INPUT##*/}"; }
input_mbps() { mbps "$(bytes "$INPUT")" "$1"; }

echo "== One worker per direction: MB/s of input, medians of $REPS interleaved runs"
echo "   target: engine >= 2 x iconv in every direction"
printf '%-16s %6s %7s %7s %7s %8s %8s  %-22s %s\n' direction MB engine iconv uconv e/iconv \
  e/uconv target "output vs iconv"
notes=()
while read -r FROM TO IFROM ITO file; do
  INPUT="$CORPUS/$file"
  interleave engine glibc_iconv icu_uconv
  vs_iconv=$(divide "${MEDIAN[glibc_iconv]}" "${MEDIAN[engine]}")
  check=$(same_bytes "$(output engine)" "$(output glibc_iconv)")
  printf '%-16s %6s %7s %7s %7s %8s %8s  %-22s %s\n' "$FROM->$TO" \
    "$(divide "$(bytes "$INPUT")" 1e6 0)" "$(input_mbps "${MEDIAN[engine]}")" \
    "$(input_mbps "${MEDIAN[glibc_iconv]}")" "$(input_mbps "${MEDIAN[icu_uconv]}")" "$vs_iconv" \
    "$(divide "${MEDIAN[icu_uconv]}" "${MEDIAN[engine]}")" "$(verdict "$vs_iconv" 2)" \
    "${check%%$'\n'*}"
  [[ "$check" == same ]] || notes+=("$FROM->$TO engine vs iconv: $check")
  uconv_check=$(same_bytes "$(output engine)" "$(output icu_uconv)")
  [[ "$uconv_check" == same ]] || notes+=("$FROM->$TO engine vs uconv: $uconv_check")
done <<'EOF'
GB18030 UTF-8   GB18030 UTF-8   gb18030.txt
UTF-8   GB18030 UTF-8   GB18030 utf-8.txt
Big5    UTF-8   BIG5    UTF-8   big5.txt
GBK     UTF-8   GBK     UTF-8   gbk.txt
UTF-8   UTF-16  UTF-8   UTF-16  utf-8.txt
UTF-16  UTF-8   UTF-16  UTF-8   utf-16.txt
EOF
if ((${#notes[@]})); then printf '%s\n' "${notes[@]}"; fi
rm -rf "${WORK:?}"/*

echo
echo "== One large file, GB18030->UTF-8 ($(divide "$(bytes "$CORPUS/gb18030.txt")" 1e6 0) MB)"
FROM=GB18030 TO=UTF-8 IFROM=GB18030 ITO=UTF-8 INPUT="$CORPUS/gb18030.txt"
interleave engine engine_all_cores glibc_iconv
printf '%-28s %8s %8s\n' contender MB/s seconds
for name in engine engine_all_cores glibc_iconv; do
  printf '%-28s %8s %8s\n' "$name" "$(input_mbps "${MEDIAN[$name]}")" "${MEDIAN[$name]}"
done
all_vs_iconv=$(divide "${MEDIAN[glibc_iconv]}" "${MEDIAN[engine_all_cores]}")
echo "all cores / one worker: $(divide "${MEDIAN[engine]}" "${MEDIAN[engine_all_cores]}")"
echo "all cores / iconv:      $all_vs_iconv (target 3: $(verdict "$all_vs_iconv" 3))"
echo "output (all cores) vs iconv: $(same_bytes "$(output engine_all_cores)" "$(output glibc_iconv)")"
rm -rf "${WORK:?}"/*

echo
big=$(big_file)
echo "== Peak memory (maximum RSS), GB18030->UTF-8 of $(divide "$(bytes "$big")" 1073741824) GiB"
echo "   target: engine < 64 MiB"
out="$WORK/rss"
mkdir -p "$out"
printf '%-28s %8s MiB\n' engine "$(peak_rss_mib "$CLI" -q -f GB18030 -t UTF-8 -o "$out" -j 1 "$big")"
rm -f "$out"/*
printf '%-28s %8s MiB\n' engine_all_cores "$(peak_rss_mib "$CLI" -q -f GB18030 -t UTF-8 -o "$out" "$big")"
rm -f "$out"/*
printf '%-28s %8s MiB\n' glibc_iconv "$(peak_rss_mib iconv -f GB18030 -t UTF-8 -o "$out/x" "$big")"
rm -rf "${WORK:?}"/*
