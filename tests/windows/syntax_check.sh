#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Compiles sources as a Windows build would, for syntax only, with the MinGW-w64
# cross compiler: no Linux build compiles the Windows files, and nothing else
# would notice when they stop compiling.
#
#   syntax_check.sh <group> <top> <compiler> <icu-headers> <werror ON|OFF> [<qt-include-dir>...]
#
# <group>        platform: every file of one system, *_windows.cpp, and the
#                engine's *_portable.cpp, which Windows takes where Linux has
#                its own (cpu_count_portable.cpp; utf16_blocks_portable.cpp on
#                ARM processors).
#                engine: every other engine source a Windows build compiles:
#                all but the *_posix.cpp and *_linux.cpp ones.
# <top>          the source tree.
# <compiler>     x86_64-w64-mingw32-g++; looked up on the PATH when empty or
#                missing.
# <icu-headers>  a directory holding ICU's unicode/ and nothing else, so that
#                the Linux C library's headers beside ICU's never stand in for
#                the MinGW ones.
# <werror>       ON: warnings fail the check, as they fail the CI build.
# <qt-include-dir>  QtCore's header directories, for the window's files.
#
# Exits 0 when every file compiles, 1 when one does not, 77 (skipped) when
# there is no cross compiler, except where the environment variable CI is
# set: there a missing compiler fails.
#
# The window's Windows files are checked against the Linux build's Qt
# headers. For the QtCore classes they use (QString, QByteArray, QFile) that
# is a fair stand-in: Qt's headers take their Windows branches (Q_OS_WIN) from
# the compiler's own macros, and the Linux configuration (qconfig.h) only
# lists features, which are the same for these classes on Windows. It would
# not do for platform code of QtGui or QtWidgets, which is why only QtCore's
# directories are given (not the Linux mkspecs' qplatformdefs.h).
set -u

group=${1:?group: platform or engine}
top=${2:?source tree}
compiler=${3:-}
icu=${4:?a directory holding the ICU headers}
werror=${5:-OFF}
shift 5 2>/dev/null || shift $#
qt_dirs=("$@")

# The posix thread model: the win32 one of GCC 12 has no std::thread and no
# std::mutex, which the engine uses.
if [ -z "$compiler" ] || ! [ -x "$compiler" ]; then
    compiler=$(command -v x86_64-w64-mingw32-g++-posix || command -v x86_64-w64-mingw32-g++ || true)
fi
if [ -z "$compiler" ]; then
    echo "no x86_64-w64-mingw32-g++: scripts/install-deps.sh installs it (g++-mingw-w64-x86-64-posix)"
    if [ -n "${CI:-}" ]; then
        echo "CI is set: the Windows sources must be checked there"
        exit 1
    fi
    echo "skipping the Windows syntax check"
    exit 77
fi
if ! [ -d "$icu/unicode" ]; then
    echo "no ICU headers in $icu/unicode"
    exit 1
fi

cd "$top/src" || exit 1
list_platform() {
    find . -name '*_windows.cpp' -o -path './engine/*' -name '*_portable.cpp'
}
list_engine() {
    find engine -name '*.cpp' ! -name '*_posix.cpp' ! -name '*_linux.cpp' \
        ! -name '*_windows.cpp' ! -name '*_portable.cpp'
}
if [ "$group" != platform ] && [ "$group" != engine ]; then
    echo "unknown group $group"
    exit 1
fi
mapfile -t files < <("list_$group" | sed 's|^\./||' | sort)
if [ ${#files[@]} -eq 0 ]; then
    echo "no $group files found under $top/src"
    exit 1
fi

# The warnings of cmake/BuildFlags.cmake: results are built with designated
# initialisers that leave the other members at their defaults on purpose.
common=(-std=c++20 -fsyntax-only -Wall -Wextra -Wno-missing-field-initializers)
[ "$werror" = ON ] && common+=(-Werror)
# As src/engine/CMakeLists.txt builds the engine.
engine_flags=(-Iengine/include -Iengine/src -isystem "$icu" -D_FILE_OFFSET_BITS=64)
window_flags=(-I. -Icli -Iengine/include -isystem "$icu")
for dir in "${qt_dirs[@]}"; do
    window_flags+=(-isystem "$dir")
done

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

check() {
    local file=$1 log=$2
    local flags=("${engine_flags[@]}")
    case $file in
    engine/*) ;;
    *) flags=("${window_flags[@]}") ;;
    esac
    "$compiler" "${common[@]}" "${flags[@]}" "$file" >"$log" 2>&1 || touch "$log.failed"
}

# As many compilers at once as there are processors.
jobs_at_once=$(nproc 2>/dev/null || echo 2)
for i in "${!files[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs_at_once" ]; do
        wait -n
    done
    check "${files[$i]}" "$logs/$i" &
done
wait

failed=0
for i in "${!files[@]}"; do
    file=${files[$i]}
    if [ -e "$logs/$i.failed" ]; then
        echo "FAIL $file"
        cat "$logs/$i"
        failed=$((failed + 1))
    else
        echo "ok   $file"
        cat "$logs/$i" # warnings, when they do not fail the check
    fi
done
echo "$((${#files[@]} - failed)) of ${#files[@]} $group files compile for Windows ($("$compiler" -dumpversion))"
[ $failed -eq 0 ]
