# SPDX-License-Identifier: GPL-3.0-or-later
# `cpack -G DEB` in a build folder makes a Debian package of what
# `cmake --install` puts in place: the player and libbass.so side by side in
# lib/orvelle-player, the bin/ link, the icons, the desktop entry and the
# AppStream metadata. Its dependencies are read from the binaries by
# dpkg-shlibdeps, so they follow what the build really linked.
set(CPACK_PACKAGE_NAME orvelle-player)
set(CPACK_PACKAGE_VENDOR "Orvelle")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Player for the internet radio Orvelle")
set(CPACK_PACKAGE_DESCRIPTION
    "Plays the station's live stream, shows the song on air with its album cover and animates a spectrum visualizer, in a small window with a French interface.")
set(ORVELLE_PACKAGE_MAINTAINER "Orvelle Player maintainers <maintainers@orvelle.invalid>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${ORVELLE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/\\.git")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not needed to run: xdg-open opens the menu's web pages, and these faces
# are the ones the window is drawn and tested with.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-noto-core, fonts-symbola")

include(CPack)
