# SPDX-License-Identifier: GPL-3.0-or-later
# orvelle_add_version_info(<target> <file name> <VFT_APP|VFT_DLL> <description>)
# The version resource of a Windows executable or DLL, the one its
# properties and the list of installed apps show: product, version,
# description, copyright, all from the top CMakeLists.txt.
function(orvelle_add_version_info target file_name file_type description)
  set(ORVELLE_RC_FILE_NAME ${file_name})
  set(ORVELLE_RC_FILE_TYPE ${file_type})
  set(ORVELLE_RC_DESCRIPTION ${description})
  string(REPLACE "." "," ORVELLE_RC_VERSION_NUMBERS "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
  set(rc ${CMAKE_BINARY_DIR}/generated/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
