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
