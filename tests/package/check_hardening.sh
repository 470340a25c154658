#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that both programs in the Debian package are hardened, with
# hardening-check: PIE, stack protector, fortified functions, RELRO,
# immediate binding, stack-clash protection, control-flow integrity.
#   check_hardening.sh <dir holding the .deb> <version>
# Every line must say yes, but for three answers that hardening-check gives
# on Debian 12 whatever the flags, each accepted only with its own evidence:
# - "Stack clash protection: unknown": hardening-check knows only the probe
#   loop of a stack allocation of variable size; the probes GCC writes into
#   a large fixed frame (sub 0x1000, or [rsp],0) it does not see.
# - "Control flow integrity: no": the linker marks a program IBT and SHSTK
#   only when every object in it is marked, and Debian 12's C start-up files
#   (Scrt1.o, crti.o, crtn.o) are not. Accepted when the program's own code
#   has the endbr64 landing pads of -fcf-protection.
# - "Fortify Source functions: no, only unprotected functions found": no
#   call in the program has a buffer whose size the compiler knows, so none
#   became a checked one. Accepted when the other program, built with the
#   same flags, does have checked calls.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
dir=$1 version=$2
need_tool hardening-check
need_tool objdump
deb=$dir/velloran_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $deb: the package_deb test builds it"

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
programs=(velloran velloran-cli)
declare -A reports
fortified=0
for program in "${programs[@]}"; do
  reports[$program]=$(hardening-check "$tree/usr/bin/$program" || true)
  grep -q '^ Fortify Source functions: yes' <<<"${reports[$program]}" && fortified=1
done

status=0
for program in "${programs[@]}"; do
  binary=$tree/usr/bin/$program
  echo "${reports[$program]}"
  # The first line names the file; each other line is one check.
  while IFS= read -r line; do
    case $line in
      *': yes'*) ;;
      ' Stack clash protection: unknown'*)
        echo "  ACCEPTED: hardening-check sees no probe loop; $program's fixed-frame probes: $(
          objdump -d --no-show-raw-insn "$binary" | grep -cE 'orq? +\$0x0,\(%rsp\)' || true)" ;;
      ' Control flow integrity: no'*)
        pads=$(objdump -d --no-show-raw-insn "$binary" | grep -c 'endbr64' || true)
        if [ "$pads" -gt 0 ]; then
          echo "  ACCEPTED: the C start-up files are not marked; $program has $pads endbr64 landing pads"
        else
          echo "FAIL: $program is not built with -fcf-protection"; status=1
        fi ;;
      ' Fortify Source functions: no, only unprotected functions found!'*)
        if [ $fortified -eq 1 ]; then
          echo "  ACCEPTED: no call of $program has a buffer of known size; the other program has checked calls"
        else
          echo "FAIL: neither program has a checked call: not built with _FORTIFY_SOURCE"; status=1
        fi ;;
      *) echo "FAIL: $program: $line"; status=1 ;;
    esac
  done < <(tail -n +2 <<<"${reports[$program]}")
done
exit $status
