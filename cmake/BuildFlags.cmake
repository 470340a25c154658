# SPDX-License-Identifier: GPL-3.0-or-later
# Compiler settings shared by every target of the project. Targets opt in by
# linking velloran::build_flags privately.
add_library(velloran_build_flags INTERFACE)
add_library(velloran::build_flags ALIAS velloran_build_flags)

if(MSVC)
  target_compile_options(velloran_build_flags INTERFACE /W4 /utf-8
    $<$<BOOL:${VELLORAN_WARNINGS_AS_ERRORS}>:/WX>)
else()
  # Results are built with designated initialisers that name only what
  # applies, the rest keeping their defaults; GCC 12 warns about every member
  # left out of one.
  target_compile_options(velloran_build_flags INTERFACE -Wall -Wextra
    -Wno-missing-field-initializers
    $<$<BOOL:${VELLORAN_WARNINGS_AS_ERRORS}>:-Werror>)
endif()

if(VELLORAN_SANITIZE)
  target_compile_options(velloran_build_flags INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(velloran_build_flags INTERFACE -fsanitize=address,undefined)
endif()

# Hardening for every program (VELLORAN_HARDENING, on but in the dev preset):
# a position-independent executable, stack protection and stack-clash probes,
# checked buffer functions where the build is optimised, read-only relocations
# bound at start-up, and control-flow protection on x86-64.
if(VELLORAN_HARDENING AND WIN32 AND NOT MSVC)
  # A Windows program (MinGW-w64) has no ELF relocations to make read-only and
  # no stack-clash probes to add (Windows probes every page it commits); it
  # is made relocatable at a random high address, with a data area that does
  # not run. Stack protection and the checked buffer functions come from
  # libssp, which the compiler links when it is given the flag.
  target_compile_options(velloran_build_flags INTERFACE -fstack-protector-strong
    "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
  target_link_options(velloran_build_flags INTERFACE -fstack-protector-strong
    LINKER:--dynamicbase,--nxcompat,--high-entropy-va)
elseif(VELLORAN_HARDENING AND NOT MSVC)
  # Position-independent code the way CMake makes it: -fPIE and -pie for the
  # programs, -fPIC for the static libraries they link. (Code that uses Qt
  # is built with -fPIC whatever this says: Qt's targets ask for it.)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported()
  target_compile_options(velloran_build_flags INTERFACE
    -fstack-protector-strong -fstack-clash-protection
    # _FORTIFY_SOURCE needs optimisation; replaced, not redefined, so that a
    # value from the environment's flags does not warn.
    "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
    target_compile_options(velloran_build_flags INTERFACE -fcf-protection)
  endif()
  target_link_options(velloran_build_flags INTERFACE LINKER:-z,relro,-z,now)
endif()

# GCC 12's false warnings of overlapping and oversized copies in <string>
# (bugs 105651 and 105329, see src/cli/CMakeLists.txt) arise in many more
# files when it compiles for Windows: silenced there for the whole build,
# for that compiler only.
if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(velloran_build_flags INTERFACE -Wno-restrict -Wno-stringop-overflow)
endif()
