# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows sound tests: libbass.dll, loaded the way the player loads it,
# plays a local 1 kHz station for a few seconds under Wine; the script around
# it gives Wine a private PulseAudio null sink, records the sink's monitor and
# finds the tone at the set volume in the recording.
find_program(SOX_EXECUTABLE sox REQUIRED)
add_executable(engine_sound_play windows_sound_play.cpp)
target_link_libraries(engine_sound_play PRIVATE engine_station)
target_include_directories(engine_sound_play PRIVATE ${PROJECT_SOURCE_DIR}/engine/include)
add_dependencies(engine_sound_play orvelle_bass)
add_test(NAME engine_sound_reaches_the_sound_server
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows_sound_test.sh $<TARGET_FILE:engine_sound_play>)
set_tests_properties(engine_sound_reaches_the_sound_server PROPERTIES LABELS engine-e2e TIMEOUT 120)
# The same program while the sound server that Wine's audio driver uses is
# killed and started again: the sound comes back by itself.
add_test(NAME engine_sound_follows_a_sound_server_restart
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows_sound_follow_test.sh $<TARGET_FILE:engine_sound_play>)
set_tests_properties(engine_sound_follows_a_sound_server_restart PROPERTIES LABELS engine-e2e TIMEOUT 120)

# The TLS station: the Windows build has no TLS server library of its own, so
# `openssl s_server` serves the fixture certificate on 127.0.0.1 while the
# tests that need it run (station_server.cpp reads its port).
add_test(NAME engine_tls_station_start
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows_tls_station.sh start ${FIXTURE_DIR})
add_test(NAME engine_tls_station_stop
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows_tls_station.sh stop ${FIXTURE_DIR})
set_tests_properties(engine_tls_station_start PROPERTIES FIXTURES_SETUP tls_station LABELS engine)
set_tests_properties(engine_tls_station_stop PROPERTIES FIXTURES_CLEANUP tls_station LABELS engine)
