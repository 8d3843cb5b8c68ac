# One INTERFACE target carries the warning set and the optional sanitizers for every target of the project.
add_library(vodu_warnings INTERFACE)
target_compile_options(vodu_warnings INTERFACE
    $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Wnon-virtual-dtor
                                   -Woverloaded-virtual -Wimplicit-fallthrough>)
option(VODU_WERROR "Treat warnings as errors" OFF)
if(VODU_WERROR)
    target_compile_options(vodu_warnings INTERFACE -Werror)
endif()
option(VODU_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(VODU_SANITIZE)
    # -O1 as the sanitizers recommend: readable stacks, a few times faster than -O0, quicker to build than -O2.
    target_compile_options(vodu_warnings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -O1)
    target_link_options(vodu_warnings INTERFACE -fsanitize=address,undefined)
endif()
# libFuzzer targets (tests/fuzz/, clang only): every target is built with coverage feedback and both sanitizers,
# so a finding in the project's code is seen wherever the fuzz input reaches it.
option(VODU_BUILD_FUZZERS "Build the libFuzzer targets under tests/fuzz/ (clang)" OFF)
if(VODU_BUILD_FUZZERS)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "VODU_BUILD_FUZZERS needs clang (CMAKE_CXX_COMPILER=clang++)")
    endif()
    target_compile_options(vodu_warnings INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                   -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(vodu_warnings INTERFACE -fsanitize=address,undefined)
endif()
