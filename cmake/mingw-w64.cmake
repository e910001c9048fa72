# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiling for Windows with Debian's mingw-w64 (posix threads, for
# std::thread). Included by mingw-i686.cmake and mingw-x86_64.cmake, which set
# ORVELLE_MINGW_ARCH. Test programs run under Wine through tools/wine/run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ORVELLE_MINGW_ARCH})
set(ORVELLE_MINGW_HOST ${ORVELLE_MINGW_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${ORVELLE_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVELLE_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVELLE_MINGW_HOST}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVELLE_MINGW_HOST})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)  # host tools: ffmpeg, openssl, sox
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static: a Windows user gets no MinGW runtime DLLs to ship, and
# Wine has none to find either.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine/run)
