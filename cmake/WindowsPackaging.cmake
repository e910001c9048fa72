# SPDX-License-Identifier: GPL-3.0-or-later
# The folder a Windows user runs: orvelle-player.exe with libbass.dll beside
# it, both linked statically (no MinGW runtime DLLs to ship). `cmake
# --install` puts them in the prefix's top folder; `cpack -G ZIP` makes a
# ZIP of the same folder.
install(TARGETS orvelle-player RUNTIME DESTINATION .)
install(TARGETS orvelle_bass RUNTIME DESTINATION .)

set(CPACK_PACKAGE_NAME orvelle-player)
set(CPACK_PACKAGE_VENDOR "Orvelle")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Player for the internet radio Orvelle")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_SYSTEM_NAME win64)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES ON)
include(CPack)
