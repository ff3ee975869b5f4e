# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package (./dorvane package): what `cmake --install` places, under
# /usr, with the library dependencies found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dorvane)
set(CPACK_PACKAGE_VENDOR Quellrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor and librarian for the Roland MC-505 groovebox")
set(CPACK_PACKAGE_DESCRIPTION
    "Dorvane keeps a complete copy of the MC-505's temporary patch area and shows every \
sound parameter of a part at once; each change reaches the instrument as you let go of \
the value. It fetches and sends dumps, keeps setups and parts as .syx files, exports \
them as Standard MIDI Files and plays the current part from the computer keyboard. A \
built-in instrument answers as the groovebox does, for trying it without hardware. \
dorvane-cli does the file and transfer work from scripts.")
set(CPACK_PACKAGE_CONTACT "${DORVANE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${DORVANE_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries are found by dpkg-shlibdeps; Qt's platform plugins (the window
# on X11 and Wayland) are loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "jackd2")
# libcrypto is loaded when the library first hashes a part, so dpkg-shlibdeps
# does not see it; without it the scan falls back to Qt's slower SHA-1.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libssl3 | libssl3t64")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
