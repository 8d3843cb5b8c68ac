# The Debian package (`cpack -G DEB` in the build folder; scripts/package.sh does it all): vodu-desktop, installed
# under /usr. dpkg-shlibdeps adds the Qt 6 and C++ runtime libraries the app links; the rest is named here.
set(VODU_PACKAGE_MAINTAINER "VODU desktop developers" CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vodu-desktop)
set(CPACK_PACKAGE_VENDOR VODU)
set(CPACK_PACKAGE_CONTACT "${VODU_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop app of the local VODU service, which supervises your AI work")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "VODU starts the local VODU service and shows at a glance what is ready and what needs you: your Codex and "
    "Claude Code conversations, your workspace tasks and Dozadavi Zaro runs. It lives in the tray, speaks Japanese "
    "and English, and follows light and dark.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VODU_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The xcb platform plugin, Japanese glyphs, Qt's translations and the service's runtime, which the bundle links to
# at /usr/bin/node.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-noto-cjk, qt6-translations-l10n, nodejs")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)
