# Assembles build/VODU.app: information keys, launcher, runtime link and the host scripts.
set(VODU_BUNDLE_DIR "${CMAKE_BINARY_DIR}/VODU.app")
set(VODU_BUNDLE_IDENTIFIER "com.zuzi.vodu.cli")

find_program(VODU_NODE_EXECUTABLE NAMES node nodejs REQUIRED)
file(REAL_PATH "${VODU_NODE_EXECUTABLE}" vodu_node_real)

configure_file("${CMAKE_SOURCE_DIR}/packaging/Info.json.in" "${VODU_BUNDLE_DIR}/Contents/Info.json" @ONLY)
file(MAKE_DIRECTORY "${VODU_BUNDLE_DIR}/Contents/MacOS" "${VODU_BUNDLE_DIR}/Contents/Resources/runtime/bin"
                    "${VODU_BUNDLE_DIR}/Contents/Resources/cli/src")
file(CREATE_LINK "${vodu_node_real}" "${VODU_BUNDLE_DIR}/Contents/Resources/runtime/bin/node" SYMBOLIC)

add_custom_target(vodu_bundle ALL
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DBUNDLE_DIR=${VODU_BUNDLE_DIR}
            -P "${CMAKE_SOURCE_DIR}/cmake/VoduCopyBundleFiles.cmake"
    COMMENT "Assembling VODU.app"
    VERBATIM)
