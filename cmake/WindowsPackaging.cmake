# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows programs as a zip and an installer: `cpack --preset windows` in
# the `windows` build gives velloran-<version>-windows-x64.zip and
# velloran-<version>-windows-x64.exe. Both hold one folder: the two programs,
# the DLLs they load (Qt, ICU, the compiler's runtime), Qt's platform and
# style plugins, the licences and a short README.

set(prefix ${VELLORAN_WINDOWS_PREFIX})
install(TARGETS velloran velloran-cli RUNTIME DESTINATION .)

# The DLLs, named: what the programs import, and what those import in turn
# (objdump -p shows it); a missing one fails here, not on a user's machine.
set(icu_major ${ICU_VERSION})
string(REGEX REPLACE "\\..*" "" icu_major "${icu_major}")
set(dlls
  ${prefix}/bin/Qt6Core.dll ${prefix}/bin/Qt6Gui.dll ${prefix}/bin/Qt6Widgets.dll
  ${prefix}/bin/icuuc${icu_major}.dll ${prefix}/bin/icuin${icu_major}.dll
  ${prefix}/bin/icudt${icu_major}.dll)
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libssp-0.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  list(APPEND dlls ${found})
endforeach()
list(APPEND dlls /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll)
foreach(dll ${dlls})
  if(NOT EXISTS ${dll})
    message(FATAL_ERROR "The Windows package needs ${dll}")
  endif()
endforeach()
install(FILES ${dlls} DESTINATION .)
# Qt finds its plugins in these folders next to the program.
install(FILES ${prefix}/plugins/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${prefix}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles)

# The licences: Velloran's, Qt's, ICU's, and the compiler runtime's.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION licenses RENAME Velloran-LICENSE.txt)
install(DIRECTORY ${prefix}/share/licenses/ DESTINATION licenses)
install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright
  DESTINATION licenses RENAME gcc-runtime-copyright.txt)
install(FILES /usr/share/doc/mingw-w64-common/copyright
  DESTINATION licenses RENAME mingw-w64-copyright.txt)
configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/README.txt README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME velloran)
set(CPACK_PACKAGE_VENDOR Tamsrik)
set(CPACK_PACKAGE_FILE_NAME velloran-${PROJECT_VERSION}-windows-x64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Velloran)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# The installer's script is ours (cmake/windows/NSIS.template.in): a per-user
# install that asks for no administrator rights, which CPack's own does.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/windows)
set(CPACK_NSIS_PACKAGE_NAME Velloran)
set(CPACK_NSIS_DISPLAY_NAME Velloran)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
include(CPack)
