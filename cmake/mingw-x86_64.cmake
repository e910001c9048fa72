# SPDX-License-Identifier: GPL-3.0-or-later
# 64-bit Windows
set(ORVELLE_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
