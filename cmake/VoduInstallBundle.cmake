# Run by `cmake --install` once the bundle is copied: points the installed bundle at itself and at the system's
# Node.js, and adds the launcher and the .desktop entry, all for the final prefix (DESTDIR only stages the files).
get_filename_component(vodu_prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(vodu_staged "$ENV{DESTDIR}${vodu_prefix}")
set(vodu_bundle "${vodu_prefix}/lib/vodu/VODU.app")
set(vodu_staged_bundle "$ENV{DESTDIR}${vodu_bundle}")

# A JSON string holding `text`.
function(vodu_json_string out text)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

# Info.json, from the built bundle's: the baseline app is this installation (update and restart compare against it).
set(vodu_info_file "${vodu_staged_bundle}/Contents/Info.json")
file(READ "${VODU_BUILT_INFO}" vodu_info)
vodu_json_string(vodu_baseline "${vodu_bundle}")
string(JSON vodu_info SET "${vodu_info}" VODUBaselineAppPath "${vodu_baseline}")
if(VODU_CANONICAL_DESKTOP_UPDATE)
    string(JSON vodu_info SET "${vodu_info}" VODUCanonicalDesktopUpdate true)
endif()
file(WRITE "${vodu_info_file}" "${vodu_info}\n")
message(STATUS "Baseline app: ${vodu_bundle}")

# The runtime: the system's Node.js by its own path, so upgrades of the nodejs package carry over. Relative when
# both lie under one top-level folder (/usr for the package, as Debian links), absolute otherwise.
set(vodu_runtime_dir "${vodu_bundle}/Contents/Resources/runtime/bin")
string(REGEX MATCH "^/[^/]+" vodu_node_top "${VODU_INSTALL_NODE}")
string(REGEX MATCH "^/[^/]+" vodu_bundle_top "${vodu_bundle}")
set(vodu_node_link "${VODU_INSTALL_NODE}")
if(vodu_node_top STREQUAL vodu_bundle_top)
    file(RELATIVE_PATH vodu_node_link "${vodu_runtime_dir}" "${VODU_INSTALL_NODE}")
endif()
file(CREATE_LINK "${vodu_node_link}" "$ENV{DESTDIR}${vodu_runtime_dir}/node" SYMBOLIC)
if(NOT EXISTS "${VODU_INSTALL_NODE}")
    message(WARNING "The bundle's runtime links to ${VODU_INSTALL_NODE}, which does not exist here: install nodejs "
                    "or configure with -DVODU_INSTALL_NODE=/path/to/node")
endif()
message(STATUS "Runtime link: $ENV{DESTDIR}${vodu_runtime_dir}/node -> ${vodu_node_link}")

# The launcher: a relative link, so the app still finds its bundle (two levels above its resolved executable).
file(MAKE_DIRECTORY "${vodu_staged}/${VODU_BINDIR}")
file(RELATIVE_PATH vodu_launcher_target "${vodu_prefix}/${VODU_BINDIR}"
     "${vodu_bundle}/Contents/MacOS/vodu-status")
file(CREATE_LINK "${vodu_launcher_target}" "${vodu_staged}/${VODU_BINDIR}/vodu-desktop" SYMBOLIC)
message(STATUS "Launcher: ${vodu_staged}/${VODU_BINDIR}/vodu-desktop")

# The .desktop entry starts the launcher by its full path; quoted and escaped as an Exec argument.
set(vodu_exec "${vodu_prefix}/${VODU_BINDIR}/vodu-desktop")
foreach(character "\\" "\"" "`" "$")
    string(REPLACE "${character}" "\\${character}" vodu_exec "${vodu_exec}")
endforeach()
string(REPLACE "\\" "\\\\" vodu_exec "${vodu_exec}")
string(REPLACE "%" "%%" vodu_exec "${vodu_exec}")
set(VODU_DESKTOP_EXEC "\"${vodu_exec}\"")
configure_file("${VODU_DESKTOP_TEMPLATE}" "${vodu_staged}/${VODU_DATADIR}/applications/com.zuzi.vodu.cli.desktop"
               @ONLY)
message(STATUS "Desktop entry: ${vodu_staged}/${VODU_DATADIR}/applications/com.zuzi.vodu.cli.desktop")

list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${vodu_staged}/${VODU_BINDIR}/vodu-desktop"
     "${vodu_staged}/${VODU_DATADIR}/applications/com.zuzi.vodu.cli.desktop")
