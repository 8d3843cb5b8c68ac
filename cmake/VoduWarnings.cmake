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
    target_compile_options(vodu_warnings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(vodu_warnings INTERFACE -fsanitize=address,undefined)
endif()
