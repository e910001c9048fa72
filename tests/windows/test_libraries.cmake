# SPDX-License-Identifier: GPL-3.0-or-later
# GoogleTest and cpp-httplib for the Windows build's tests, cross-built from
# Debian's sources and headers. CTest runs every test program under Wine
# (the toolchain's emulator, tools/wine/run).
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_CURRENT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)  # defines GTest::gtest, GTest::gtest_main
# GoogleTest's main, with its watcher thread started before the tests (see the file).
set_property(TARGET gtest_main PROPERTY SOURCES ${CMAKE_CURRENT_LIST_DIR}/gtest_main.cpp)

# cpp-httplib whole, from Debian's source package: the installed header is
# only the declarations of Debian's Linux library. The header alone is
# copied, so that /usr/include never reaches the cross compiler.
execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/debian-source cpp-httplib
  OUTPUT_VARIABLE httplib_out OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE httplib_rc)
string(REGEX REPLACE ".*\n" "" httplib_source "${httplib_out}")
if(NOT httplib_rc EQUAL 0 OR NOT EXISTS ${httplib_source}/httplib.h)
  message(FATAL_ERROR "scripts/debian-source cpp-httplib failed")
endif()
configure_file(${httplib_source}/httplib.h ${CMAKE_CURRENT_BINARY_DIR}/httplib/httplib.h COPYONLY)
add_library(orvelle_httplib INTERFACE)
target_include_directories(orvelle_httplib SYSTEM INTERFACE ${CMAKE_CURRENT_BINARY_DIR}/httplib)
target_link_libraries(orvelle_httplib INTERFACE ws2_32)
add_library(PkgConfig::HTTPLIB ALIAS orvelle_httplib)
