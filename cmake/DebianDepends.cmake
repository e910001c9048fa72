# SPDX-License-Identifier: GPL-3.0-or-later
# Read by cpack before it packs (CPACK_PROJECT_CONFIG_FILE): the Debian
# package's Depends, as dpkg-shlibdeps reads them from the binaries the build
# made, the way CPack's own CPACK_DEBIAN_PACKAGE_SHLIBDEPS does it.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
# dpkg-shlibdeps wants to be run from a source package: an empty control file makes one.
file(MAKE_DIRECTORY ${CPACK_ORVELLE_SCRATCH}/debian)
file(WRITE ${CPACK_ORVELLE_SCRATCH}/debian/control "")
execute_process(COMMAND dpkg-shlibdeps -O ${CPACK_ORVELLE_BINARIES}
  WORKING_DIRECTORY ${CPACK_ORVELLE_SCRATCH}
  OUTPUT_VARIABLE shlibdeps ERROR_VARIABLE shlibdeps_errors RESULT_VARIABLE shlibdeps_rc)
if(NOT shlibdeps_rc EQUAL 0 OR NOT shlibdeps MATCHES "shlibs:Depends=")
  message(FATAL_ERROR "dpkg-shlibdeps could not read the dependencies of ${CPACK_ORVELLE_BINARIES}:\n${shlibdeps_errors}")
endif()
string(REGEX REPLACE ".*shlibs:Depends=([^\n]*).*" "\\1" CPACK_DEBIAN_PACKAGE_DEPENDS "${shlibdeps}")
