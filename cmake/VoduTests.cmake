# Each folder under tests/ (but support/) becomes one Qt Test executable, tst_<folder>, registered with CTest.
# A test file joins its area's executable by living in the folder; no CMake edit is needed.
# Sanitized builds run several times slower, so their suites get more time.
if(VODU_SANITIZE)
    set(vodu_test_timeout 900)
else()
    set(vodu_test_timeout 300)
endif()

function(vodu_add_test_area area)
    file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tests/${area}/*.cpp"
                                        "${CMAKE_CURRENT_SOURCE_DIR}/tests/${area}/*.h")
    if(NOT sources)
        return()
    endif()
    qt_add_executable(tst_${area} ${sources})
    target_link_libraries(tst_${area} PRIVATE vodu_testsupport)
    add_test(NAME ${area} COMMAND tst_${area})
    set_tests_properties(${area} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;VODU_SOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR};VODU_BUNDLE_DIR=${VODU_BUNDLE_DIR}"
        TIMEOUT ${vodu_test_timeout})
endfunction()
