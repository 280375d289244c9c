# Project-wide compiler settings: warnings as errors on our own code, sanitizer builds.

if(QUENBY_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
    add_compile_definitions(_GLIBCXX_ASSERTIONS)
elseif(QUENBY_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
    add_compile_definitions(_GLIBCXX_ASSERTIONS)
elseif(NOT QUENBY_SANITIZE STREQUAL "")
    message(FATAL_ERROR "QUENBY_SANITIZE must be empty, 'address' or 'thread'")
endif()
if(CMAKE_BUILD_TYPE STREQUAL "Debug")
    add_compile_definitions(_GLIBCXX_ASSERTIONS)
endif()

# Applies the project's warning flags to one of our own targets.
function(quenby_target target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
    # GCC 12 reports -Wrestrict falsely inside std::string at -O2 (GCC bug 105329).
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
    # With the sanitizers' instrumentation GCC reports uninitialised values falsely (inside
    # std::function and std::regex); the plain builds keep the warning.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT QUENBY_SANITIZE STREQUAL "")
        target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
    endif()
    target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS QT_USE_QSTRINGBUILDER)
endfunction()
