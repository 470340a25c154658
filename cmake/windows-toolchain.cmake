# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the posix thread
# model, which std::thread needs). Used by the `windows` presets and by
# scripts/windows-toolchain for qtbase and GoogleTest.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)
# The libraries built for Windows (ICU, Qt, GoogleTest): where
# scripts/windows-toolchain put them, or VELLORAN_WINDOWS_PREFIX.
if(DEFINED ENV{VELLORAN_WINDOWS_PREFIX})
  set(VELLORAN_WINDOWS_PREFIX $ENV{VELLORAN_WINDOWS_PREFIX})
else()
  execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../scripts/windows-toolchain --path
    OUTPUT_VARIABLE VELLORAN_WINDOWS_PREFIX OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS ${VELLORAN_WINDOWS_PREFIX}/.complete)
    message(FATAL_ERROR "No Windows toolchain in ${VELLORAN_WINDOWS_PREFIX}: "
                        "run scripts/windows-toolchain first")
  endif()
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${triplet} ${VELLORAN_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests run the programs under wine64, in the build's own wine prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
