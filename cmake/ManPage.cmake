# SPDX-License-Identifier: GPL-3.0-or-later
# velloran_install_man_page(<page>)
#   compresses a manual page such as velloran.1 (made or configured at build
#   time) the way Debian ships them, and installs it in its section's folder.
function(velloran_install_man_page page)
  get_filename_component(name ${page} NAME)
  string(REGEX REPLACE ".*\\." "" section ${name})
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND gzip -9 -n -c ${page} > ${compressed}
    DEPENDS ${page}
    VERBATIM)
  add_custom_target(man_${name} ALL DEPENDS ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()
