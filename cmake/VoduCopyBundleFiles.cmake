# Run at build time: copies the update step, icons and the host scripts into the bundle (only changed files are written).
file(COPY "${SOURCE_DIR}/packaging/install-selected-desktop.sh" DESTINATION "${BUNDLE_DIR}/Contents/Resources"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The window's icon and the tray's template glyph, under the names the app looks for.
file(COPY_FILE "${SOURCE_DIR}/packaging/icons/png/com.zuzi.vodu.cli-256.png"
     "${BUNDLE_DIR}/Contents/Resources/VODU.png" ONLY_IF_DIFFERENT)
file(COPY_FILE "${SOURCE_DIR}/packaging/icons/png/VODUMenuTemplate.png"
     "${BUNDLE_DIR}/Contents/Resources/VODUMenuTemplate.png" ONLY_IF_DIFFERENT)
if(EXISTS "${SOURCE_DIR}/companion")
    file(COPY "${SOURCE_DIR}/companion/" DESTINATION "${BUNDLE_DIR}/Contents/Resources/cli/src"
         PATTERN "test" EXCLUDE PATTERN "bench" EXCLUDE PATTERN "node_modules" EXCLUDE PATTERN "*.md" EXCLUDE)
endif()
