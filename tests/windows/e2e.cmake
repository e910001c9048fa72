# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows player as a listener meets it, under Wine: the program with
# the end-to-end tests' addresses, the probe that asks Windows from inside
# the same Wine prefix, and the tests themselves, a Linux program
# (tests/e2e/windows_listener_test.cpp) that drives both from outside.
include(${PROJECT_SOURCE_DIR}/tests/e2e/addresses.cmake)
orvelle_add_player_program(orvelle-player-e2e orvelle_built_in_config_e2e)
set_target_properties(orvelle-player-e2e PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/e2e)

add_executable(wine_probe ${CMAKE_CURRENT_LIST_DIR}/wine_probe.cpp)
target_link_libraries(wine_probe PRIVATE orvelle_app shell32 oleacc oleaut32 ole32)

# The Linux test build that holds the tests' program and the demo station
# (scripts/test builds it first; scripts/test-windows builds what it needs).
set(ORVELLE_LINUX_TEST_BUILD ${PROJECT_SOURCE_DIR}/build/test CACHE PATH
    "The Linux build (test preset) whose windows_e2e_tests drive the Windows player")
add_test(NAME windows_listener COMMAND ${ORVELLE_LINUX_TEST_BUILD}/windows_e2e_tests)
set_tests_properties(windows_listener PROPERTIES
  LABELS e2e RESOURCE_LOCK "orvelle_e2e_ports;wine_windows" TIMEOUT 600
  ENVIRONMENT "ORVELLE_WINDOWS_PLAYER=$<TARGET_FILE:orvelle-player-e2e>;ORVELLE_WINDOWS_ENGINE=$<TARGET_FILE:orvelle_bass>;ORVELLE_WINE_PROBE=$<TARGET_FILE:wine_probe>;WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
