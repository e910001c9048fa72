# SPDX-License-Identifier: GPL-3.0-or-later
# 32-bit Windows
set(ORVELLE_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
