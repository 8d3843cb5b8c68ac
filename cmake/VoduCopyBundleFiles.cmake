# Run at build time: copies the launcher, icons and the host scripts into the bundle (only changed files are written).
file(COPY "${SOURCE_DIR}/packaging/vodu" DESTINATION "${BUNDLE_DIR}/Contents/MacOS"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(GLOB icons "${SOURCE_DIR}/packaging/*.png")
if(icons)
    file(COPY ${icons} DESTINATION "${BUNDLE_DIR}/Contents/Resources")
endif()
if(EXISTS "${SOURCE_DIR}/companion")
    file(COPY "${SOURCE_DIR}/companion/" DESTINATION "${BUNDLE_DIR}/Contents/Resources/cli/src"
         PATTERN "test" EXCLUDE PATTERN "node_modules" EXCLUDE PATTERN "*.md" EXCLUDE)
endif()
