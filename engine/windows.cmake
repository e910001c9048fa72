# SPDX-License-Identifier: GPL-3.0-or-later
# The engine's Windows edges: FFmpeg built static for this architecture by
# scripts/build-ffmpeg-windows (cached outside the tree, so configuring again
# is quick), WASAPI for sound, Winsock under FFmpeg's network code.
set(ORVELLE_FFMPEG_PREFIX "" CACHE PATH "A static FFmpeg for this Windows architecture (empty: the one scripts/build-ffmpeg-windows builds or finds in its cache)")
set(ffmpeg_prefix ${ORVELLE_FFMPEG_PREFIX})
if(NOT ffmpeg_prefix)
  # Asked at every configure: the script answers at once from its cache, and a
  # change of its options or patches gives a new build.
  execute_process(
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/build-ffmpeg-windows ${CMAKE_SYSTEM_PROCESSOR}
    OUTPUT_VARIABLE ffmpeg_out OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE ffmpeg_rc)
  if(NOT ffmpeg_rc EQUAL 0)
    message(FATAL_ERROR "scripts/build-ffmpeg-windows ${CMAKE_SYSTEM_PROCESSOR} failed")
  endif()
  string(REGEX REPLACE ".*\n" "" ffmpeg_prefix "${ffmpeg_out}")
  file(GLOB ffmpeg_patches ${PROJECT_SOURCE_DIR}/scripts/ffmpeg-windows/*.patch)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/scripts/build-ffmpeg-windows ${ffmpeg_patches})
endif()
message(STATUS "FFmpeg for Windows: ${ffmpeg_prefix}")

# Link order matters for static archives: users before what they use.
add_library(orvelle_ffmpeg INTERFACE)
target_include_directories(orvelle_ffmpeg SYSTEM INTERFACE ${ffmpeg_prefix}/include)
foreach(lib avformat avcodec swresample avutil)
  target_link_libraries(orvelle_ffmpeg INTERFACE ${ffmpeg_prefix}/lib/lib${lib}.a)
endforeach()
# zlib for gzip-encoded answers, as Debian's FFmpeg has it: static, so the
# library imports nothing but Windows' own DLLs.
find_library(ORVELLE_STATIC_ZLIB NAMES libz.a REQUIRED)
target_link_libraries(orvelle_ffmpeg INTERFACE ${ORVELLE_STATIC_ZLIB})
# Winsock, schannel TLS and its certificate checks, the random source, COM.
target_link_libraries(orvelle_ffmpeg INTERFACE ws2_32 secur32 crypt32 bcrypt ole32 user32)

set(ENGINE_PLATFORM_SOURCES src/wasapi_output.cpp src/av_net_windows.cpp)
set(ENGINE_PLATFORM_LIBS orvelle_ffmpeg ole32 ws2_32)
