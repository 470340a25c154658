# SPDX-License-Identifier: GPL-3.0-or-later
# Installing the programs, and the Debian package CPack builds from the
# install tree: `cpack --preset package` (or `cpack -G DEB` in a build
# directory) gives velloran_<version>_<arch>.deb.

install(TARGETS velloran velloran-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (the package, or cmake --install --strip) also drops the
# compiler's .comment and .note sections, as Debian's packaging does: strip
# alone keeps them.
if(CMAKE_STRIP)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      foreach(program $<TARGET_FILE_NAME:velloran> $<TARGET_FILE_NAME:velloran-cli>)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
          COMMAND_ERROR_IS_FATAL ANY)
      endforeach()
    endif()")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velloran)
set(CPACK_PACKAGE_VENDOR Tamsrik)
set(CPACK_PACKAGE_CONTACT "${VELLORAN_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert the character encoding of batches of text files")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Velloran converts folders of text files between GB18030, GBK, GB2312,\n"
  "Big5, UTF-8, UTF-16, UTF-32 and UTF-7, in a window with Simplified\n"
  "Chinese texts. A file is written only if every byte and character\n"
  "converts, and output replaces an existing file whole or not at all.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries come from dpkg-shlibdeps. Qt's platform plugins are loaded at
# run time, so no library link names them: without them no window can open.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# The window's texts are Chinese: without a CJK font they show as boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk | fonts-wqy-zenhei")

include(CPack)
