# SPDX-License-Identifier: GPL-3.0-or-later
# orvelle_add_library(<target> <folder> SOURCES ... [DEPS ...] [PRIVATE_DEPS ...])
#
# One static library per folder of src/. Its headers are included as
# "<folder>/name.h" through a staging folder in the build tree that holds a
# single link, <folder> -> src/<folder>; src/ itself is on no include path.
# A library therefore sees the headers of the libraries it links (DEPS, and
# theirs in turn) and of no other: an include against the direction of the
# folders fails to build. Toolkits go in PRIVATE_DEPS so that their headers
# stay with the one library that uses them.
function(orvelle_add_library target folder)
  cmake_parse_arguments(L "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  set(stage ${CMAKE_BINARY_DIR}/include-stage/${folder})
  file(MAKE_DIRECTORY ${stage})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${stage}/${folder} SYMBOLIC)
  add_library(${target} STATIC ${L_SOURCES})
  target_include_directories(${target} PUBLIC ${stage})
  target_link_libraries(${target} PUBLIC ${L_DEPS} PRIVATE ${L_PRIVATE_DEPS})
endfunction()
