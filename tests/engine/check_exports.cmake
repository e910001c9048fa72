# Fails unless LIBRARY defines exactly the eleven BASS_* functions. A Windows
# DLL (read with OBJDUMP) must moreover import nothing but Windows' own DLLs:
# a MinGW runtime DLL would be missing on the listener's machine.
cmake_policy(SET CMP0057 NEW)  # IN_LIST
set(expected BASS_ChannelGetData BASS_ChannelIsActive BASS_ChannelPause BASS_ChannelPlay
  BASS_ChannelSetAttribute BASS_ChannelStop BASS_ErrorGetCode BASS_Free BASS_Init
  BASS_StreamCreateURL BASS_StreamFree)
set(system_dlls advapi32.dll bcrypt.dll crypt32.dll kernel32.dll msvcrt.dll ole32.dll secur32.dll
  user32.dll ws2_32.dll)

set(exported)
if(LIBRARY MATCHES "\\.dll$")
  execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} failed on ${LIBRARY}")
  endif()
  # The export table's name list: "\t[   3] BASS_Init".
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" names "${dump}")
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${names}")
  foreach(entry ${entries})
    string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${entry}")
    list(APPEND exported ${name})
  endforeach()
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
  foreach(entry ${imports})
    string(SUBSTRING "${entry}" 10 -1 dll)
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST system_dlls)
      message(FATAL_ERROR "${LIBRARY} imports ${dll}, which is not part of Windows")
    endif()
  endforeach()
else()
  execute_process(COMMAND nm -D --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIBRARY}")
  endif()
  string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
  foreach(line ${lines})
    string(REGEX REPLACE "^[0-9a-f]* *[A-Za-z] " "" name "${line}")
    list(APPEND exported ${name})
  endforeach()
endif()
list(SORT exported)
if(NOT exported STREQUAL expected)
  message(FATAL_ERROR "exports differ:\n  got ${exported}\n  want ${expected}")
endif()
