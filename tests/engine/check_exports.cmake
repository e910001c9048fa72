# Fails unless LIBRARY defines exactly the eleven BASS_* functions.
execute_process(COMMAND nm -D --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(exported)
foreach(line ${lines})
  string(REGEX REPLACE "^[0-9a-f]* *[A-Za-z] " "" name "${line}")
  list(APPEND exported ${name})
endforeach()
list(SORT exported)
set(expected BASS_ChannelGetData BASS_ChannelIsActive BASS_ChannelPause BASS_ChannelPlay
  BASS_ChannelSetAttribute BASS_ChannelStop BASS_ErrorGetCode BASS_Free BASS_Init
  BASS_StreamCreateURL BASS_StreamFree)
if(NOT exported STREQUAL expected)
  message(FATAL_ERROR "exports differ:\n  got ${exported}\n  want ${expected}")
endif()
