# SPDX-License-Identifier: GPL-3.0-or-later
# What a Windows user gets: the folder `cmake --install` lays out
# (orvelle-player.exe with libbass.dll beside it, both linked statically, no
# MinGW runtime DLLs to ship; LICENSE, THIRD-PARTY.md, LISEZMOI.txt), the
# ZIP `cpack` makes of it, and the installer of the orvelle_installer target.
install(TARGETS orvelle-player RUNTIME DESTINATION .)
install(TARGETS orvelle_bass RUNTIME DESTINATION .)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
  set(windows_kind "32-bit Windows (win32)")
else()
  set(CPACK_SYSTEM_NAME win64)
  set(windows_kind "64-bit Windows (win64)")
endif()

# Texts for Notepad: CRLF line ends.
function(orvelle_write_windows_text path text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${path} "${text}")
endfunction()

set(windows_texts ${CMAKE_BINARY_DIR}/windows-texts)
# LISEZMOI.txt.in starts with a UTF-8 byte-order mark: Notepad before
# Windows 10 reads a file without one in the ANSI code page.
file(READ ${PROJECT_SOURCE_DIR}/resources/windows/LISEZMOI.txt.in lisezmoi)
string(CONFIGURE "${lisezmoi}" lisezmoi @ONLY)
orvelle_write_windows_text(${windows_texts}/LISEZMOI.txt "${lisezmoi}")

# THIRD-PARTY.md, with what only this build can say: the FFmpeg it links
# (read from the static FFmpeg's folder), and the licence texts that the
# statically linked code asks to travel with it.
get_target_property(ffmpeg_include orvelle_ffmpeg INTERFACE_INCLUDE_DIRECTORIES)
get_filename_component(ffmpeg_prefix "${ffmpeg_include}" DIRECTORY)
if(EXISTS ${ffmpeg_prefix}/.complete)  # scripts/build-ffmpeg-windows: Debian's version first
  file(STRINGS ${ffmpeg_prefix}/.complete ffmpeg_lines LIMIT_COUNT 1)
  set(ffmpeg_version "Debian 12's source package `ffmpeg`, version `${ffmpeg_lines}`")
else()
  file(STRINGS ${ffmpeg_include}/libavutil/ffversion.h ffmpeg_lines REGEX "FFMPEG_VERSION")
  string(REGEX REPLACE ".*\"(.*)\".*" "FFmpeg `\\1` (from ${ffmpeg_prefix})" ffmpeg_version "${ffmpeg_lines}")
endif()
file(READ ${PROJECT_SOURCE_DIR}/THIRD-PARTY.md third_party)
string(APPEND third_party "
## This build

Orvelle Player ${PROJECT_VERSION} for ${windows_kind}. The FFmpeg in `libbass.dll`: ${ffmpeg_version},
with the patches of `scripts/ffmpeg-windows/`.

## Licence texts
")
foreach(entry
    "GNU Lesser General Public License 2.1 (FFmpeg)|/usr/share/common-licenses/LGPL-2.1"
    "nlohmann/json|/usr/share/doc/nlohmann-json3-dev/copyright"
    "zlib|/usr/share/doc/libz-mingw-w64/copyright"
    "The mingw-w64 runtime and winpthreads|/usr/share/doc/mingw-w64-common/copyright")
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 title)
  list(GET entry 1 path)
  file(READ ${path} text)
  string(APPEND third_party "\n### ${title}\n\n```\n${text}```\n")
endforeach()
orvelle_write_windows_text(${windows_texts}/THIRD-PARTY.md "${third_party}")

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${windows_texts}/THIRD-PARTY.md ${windows_texts}/LISEZMOI.txt
        DESTINATION .)

set(CPACK_PACKAGE_NAME orvelle-player)
set(CPACK_PACKAGE_VENDOR "${ORVELLE_PUBLISHER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Player for the internet radio Orvelle")
set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES ON)
include(CPack)

# The installer (resources/windows/orvelle-player.nsi), from a folder laid
# out by `cmake --install` like the ZIP's:
#   build/<preset>/packages/orvelle-player-<version>-setup-win32.exe (or -win64)
find_program(ORVELLE_MAKENSIS makensis)
if(ORVELLE_MAKENSIS)
  set(stage ${CMAKE_BINARY_DIR}/installer-stage)
  set(installer ${CMAKE_BINARY_DIR}/packages/orvelle-player-${PROJECT_VERSION}-setup-${CPACK_SYSTEM_NAME}.exe)
  set(nsi ${PROJECT_SOURCE_DIR}/resources/windows/orvelle-player.nsi)
  add_custom_command(OUTPUT ${installer}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${stage} --strip
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packages
    COMMAND ${ORVELLE_MAKENSIS} -NOCD -V2 -DVERSION=${PROJECT_VERSION} -DARCH=${CPACK_SYSTEM_NAME} -DSTAGE=${stage}
            -DOUTFILE=${installer} "-DPUBLISHER=${ORVELLE_PUBLISHER}" -DSITE_URL=${ORVELLE_SITE_URL}
            -DICON=${PROJECT_SOURCE_DIR}/resources/orvelle-player.ico ${nsi}
    DEPENDS orvelle-player orvelle_bass ${nsi} ${windows_texts}/THIRD-PARTY.md ${windows_texts}/LISEZMOI.txt
            ${PROJECT_SOURCE_DIR}/LICENSE
    COMMENT "Making the installer packages/orvelle-player-${PROJECT_VERSION}-setup-${CPACK_SYSTEM_NAME}.exe"
    VERBATIM)
  add_custom_target(orvelle_installer DEPENDS ${installer})
endif()
