# SPDX-License-Identifier: GPL-3.0-or-later
# The version for the code: version.h, written into the build tree, for the
# targets that link velloran::version.
set(VELLORAN_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${VELLORAN_GENERATED_DIR}/version.h @ONLY)
add_library(velloran_version INTERFACE)
add_library(velloran::version ALIAS velloran_version)
target_include_directories(velloran_version INTERFACE ${VELLORAN_GENERATED_DIR})
