# SPDX-License-Identifier: GPL-3.0-or-later
# `cpack -G DEB` in a build folder makes a Debian package of what
# `cmake --install` puts in place: the player and libbass.so side by side in
# lib/orvelle-player, the bin/ link, the icons, the desktop entry, the
# AppStream metadata, the manual page and the documents Debian asks of every
# package (copyright, changelog). Made from a release build, it passes
# lintian, hardening-check and both AppStream validators
# (tests/packaging/check_release_deb.sh).
set(CPACK_PACKAGE_NAME orvelle-player)
set(CPACK_PACKAGE_VENDOR "${ORVELLE_PUBLISHER}")
set(CPACK_PACKAGE_CONTACT "${ORVELLE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for the internet radio Orvelle")
# Lines under 80 characters, as Debian's policy has them.
set(CPACK_PACKAGE_DESCRIPTION [[
Orvelle Player plays the live stream of the internet radio Orvelle. It
shows the song on air with its album cover and animates a spectrum
visualizer in a small window with a French interface.

Its menus open the station's web pages and switch between six
visualizers; the desktop's media keys and media controls reach it too.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/\\\\.git")  # regular expressions, read twice

# A package of an upstream version (not a native one): its revision, and a
# changelog.Debian.gz.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(ORVELLE_DEBIAN_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ORVELLE_HOMEPAGE_URL}")
# Not needed to run: xdg-open opens the menu's web pages, and these faces
# are the ones the window is drawn and tested with.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-noto-core, fonts-symbola")
# The dependencies are read from the built binaries by dpkg-shlibdeps, so they
# follow what the build really linked; cmake/DebianDepends.cmake runs it
# rather than CPack, whose own run would also call ldconfig on installing,
# for a private library that has no business in the linker's cache.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_ORVELLE_BINARIES ${CMAKE_BINARY_DIR}/orvelle-player ${CMAKE_BINARY_DIR}/libbass.so)  # where the build puts them
set(CPACK_ORVELLE_SCRATCH ${CMAKE_BINARY_DIR}/shlibdeps)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/DebianDepends.cmake)

# The documents of /usr/share/doc/orvelle-player and the manual page,
# compressed as Debian has them: gzip -9, no name or time stamp inside.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/orvelle-player)
execute_process(COMMAND date -u -R -d "${ORVELLE_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE ORVELLE_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(debian_dir ${CMAKE_BINARY_DIR}/debian)
configure_file(${PROJECT_SOURCE_DIR}/resources/debian/copyright.in ${debian_dir}/copyright @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/debian/changelog.in ${debian_dir}/changelog.Debian @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/orvelle-player.1.in ${debian_dir}/orvelle-player.1 @ONLY)
set(compressed)
foreach(file changelog.Debian orvelle-player.1)
  add_custom_command(OUTPUT ${debian_dir}/${file}.gz
    COMMAND gzip -9nc ${debian_dir}/${file} > ${debian_dir}/${file}.gz
    DEPENDS ${debian_dir}/${file}
    COMMENT "Compressing ${file}")
  list(APPEND compressed ${debian_dir}/${file}.gz)
endforeach()
add_custom_target(orvelle_package_documents ALL DEPENDS ${compressed})
install(FILES ${debian_dir}/copyright ${debian_dir}/changelog.Debian.gz DESTINATION ${doc_dir})
install(FILES ${debian_dir}/orvelle-player.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/orvelle-player.lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME orvelle-player)

include(CPack)
