# The engine's Windows edges: FFmpeg built static for this architecture by
# scripts/build-ffmpeg-windows (cached outside the tree, so configuring again
# is quick), WASAPI for sound, Winsock under FFmpeg's network code.
set(ORVELLE_FFMPEG_PREFIX "" CACHE PATH "Static FFmpeg for this Windows architecture (empty: build or reuse the cached one)")
if(NOT ORVELLE_FFMPEG_PREFIX)
  execute_process(
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/build-ffmpeg-windows ${CMAKE_SYSTEM_PROCESSOR}
    OUTPUT_VARIABLE ffmpeg_out OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE ffmpeg_rc)
  if(NOT ffmpeg_rc EQUAL 0)
    message(FATAL_ERROR "scripts/build-ffmpeg-windows ${CMAKE_SYSTEM_PROCESSOR} failed")
  endif()
  string(REGEX REPLACE ".*\n" "" ffmpeg_prefix "${ffmpeg_out}")
  set(ORVELLE_FFMPEG_PREFIX ${ffmpeg_prefix} CACHE PATH "Static FFmpeg for this Windows architecture" FORCE)
endif()
message(STATUS "FFmpeg for Windows: ${ORVELLE_FFMPEG_PREFIX}")

# Link order matters for static archives: users before what they use.
add_library(orvelle_ffmpeg INTERFACE)
target_include_directories(orvelle_ffmpeg SYSTEM INTERFACE ${ORVELLE_FFMPEG_PREFIX}/include)
foreach(lib avformat avcodec swresample avutil)
  target_link_libraries(orvelle_ffmpeg INTERFACE ${ORVELLE_FFMPEG_PREFIX}/lib/lib${lib}.a)
endforeach()
# Winsock, schannel TLS and its certificate checks, the random source, COM.
target_link_libraries(orvelle_ffmpeg INTERFACE ws2_32 secur32 crypt32 bcrypt ole32 user32)

set(ENGINE_PLATFORM_SOURCES src/wasapi_output.cpp src/host_lookup_windows.cpp)
set(ENGINE_PLATFORM_LIBS orvelle_ffmpeg ole32 ws2_32)
