# `cmake --install`: the bundle goes to <prefix>/lib/vodu/VODU.app and the desktop finds it through a launcher in
# bin, a .desktop entry, hicolor icons and AppStream metadata. What depends on the final prefix (the bundle's
# baseline path, the runtime link, the entry's Exec line) is written at install time by VoduInstallBundle.cmake,
# so `--prefix` and DESTDIR both hold.
include(GNUInstallDirs)

if(EXISTS "/usr/bin/node")
    set(vodu_default_install_node "/usr/bin/node")
else()
    set(vodu_default_install_node "${VODU_NODE_EXECUTABLE}")
endif()
set(VODU_INSTALL_NODE "${vodu_default_install_node}" CACHE FILEPATH
    "Node.js the installed bundle's runtime link points at (Debian's nodejs by default; never downloaded)")
option(VODU_CANONICAL_DESKTOP_UPDATE
       "The installed app hands over at launch to a newer release selected under VODU_HOME" OFF)
set(VODU_HOMEPAGE_URL "https://app.vodu.ai" CACHE STRING "Homepage named in the AppStream metadata")
set(VODU_SCREENSHOT_URL_BASE "https://app.vodu.ai/desktop/linux/screenshots" CACHE STRING
    "Where the AppStream metadata's screenshots (docs/screenshot-*.png) are published")

install(DIRECTORY "${VODU_BUNDLE_DIR}" DESTINATION lib/vodu USE_SOURCE_PERMISSIONS)
install(CODE "
    set(VODU_INSTALL_NODE [==[${VODU_INSTALL_NODE}]==])
    set(VODU_CANONICAL_DESKTOP_UPDATE ${VODU_CANONICAL_DESKTOP_UPDATE})
    set(VODU_BINDIR [==[${CMAKE_INSTALL_BINDIR}]==])
    set(VODU_DATADIR [==[${CMAKE_INSTALL_DATADIR}]==])
    set(VODU_BUILT_INFO [==[${VODU_BUNDLE_DIR}/Contents/Info.json]==])
    set(VODU_DESKTOP_TEMPLATE [==[${CMAKE_CURRENT_SOURCE_DIR}/packaging/com.zuzi.vodu.cli.desktop.in]==])
    include([==[${CMAKE_CURRENT_SOURCE_DIR}/cmake/VoduInstallBundle.cmake]==])
")

set(vodu_icons "${CMAKE_CURRENT_SOURCE_DIR}/packaging/icons")
foreach(size 16 22 24 32 48 64 128 256 512)
    install(FILES "${vodu_icons}/png/com.zuzi.vodu.cli-${size}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps" RENAME com.zuzi.vodu.cli.png)
endforeach()
install(FILES "${vodu_icons}/com.zuzi.vodu.cli.svg" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
install(FILES "${vodu_icons}/com.zuzi.vodu.cli-symbolic.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/symbolic/apps")

configure_file("${CMAKE_CURRENT_SOURCE_DIR}/packaging/com.zuzi.vodu.cli.metainfo.xml.in"
               "${CMAKE_CURRENT_BINARY_DIR}/com.zuzi.vodu.cli.metainfo.xml" @ONLY)
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/com.zuzi.vodu.cli.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
