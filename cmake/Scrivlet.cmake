# Shared build settings of both builds.

function(scrivlet_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Werror)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        # GCC 12 reports std::string concatenation as overlapping memcpy
        # (GCC bug 105329), a false positive.
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
endfunction()

if(WIN32)
    # Only system DLLs may be imported: the compiler's runtime is linked in.
    # No timestamp in the PE header, so that two builds give the same bytes.
    add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp
                     $<$<CONFIG:Release>:-s>)
    add_compile_definitions(NOMINMAX _WIN32_WINNT=0x0601)
else()
    set(SCRIVLET_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_compile_options(${SCRIVLET_SANITIZE} -g)
    add_link_options(${SCRIVLET_SANITIZE})
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        set(SCRIVLET_FUZZ ON)
    endif()
endif()

# A test of a GoogleTest program passes only when the program says so: under
# Wine a thread that ends inside the graphics library can take the process
# with it and leave exit status 0 behind.
function(scrivlet_gtest_verdict test)
    set_tests_properties(${test} PROPERTIES
        PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
        FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
endfunction()

# The Windows test programs and their support build at -Og, with GoogleTest
# and <windows.h> precompiled once a tree: they are most of a Windows tree's
# build, and what the optimiser's higher levels cost them pays nothing under
# Wine. The code under test (src/, common/, host/) keeps the release flags
# it ships with. The support library owns the precompiled header; a program
# whose flags could not use it would only compile the headers again.
function(scrivlet_test_build target)
    target_compile_options(${target} PRIVATE -Og)
    if(target STREQUAL scrivlet_test_support)
        target_precompile_headers(${target} PRIVATE <gtest/gtest.h> <windows.h>)
    else()
        target_precompile_headers(${target} REUSE_FROM scrivlet_test_support)
    endif()
endfunction()

# A GoogleTest program run under Wine by CTest (through the cross-compiling
# emulator). Tests of one subsystem share one program, so Wine starts once.
function(scrivlet_wine_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE scrivlet_test_support GTest::gtest_main)
    scrivlet_warnings(${name})
    scrivlet_test_build(${name})
    add_dependencies(${name} Scrivlet)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    scrivlet_gtest_verdict(${name})
endfunction()

# A GoogleTest program that runs beside the gdiplus.dll stand-in instead of
# the real library: it sees every GDI+ call that Scrivlet makes, as text.
function(scrivlet_standin_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE scrivlet_test_support GTest::gtest_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/standin)
    scrivlet_warnings(${name})
    scrivlet_test_build(${name})
    add_dependencies(${name} standin_folder)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin/standin)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "SCRIVLET_DLLOVERRIDES=gdiplus=n")
    scrivlet_gtest_verdict(${name})
endfunction()

# A subsystem's library: its sources and the subsystems it may use, which
# are also the only ones its files may include (checked at build time by
# cmake/check_includes.cmake). Portable libraries build in both trees.
function(scrivlet_subsystem_library name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "PORTABLE" "" "SOURCES;USES;LINKS")
    add_library(${name} STATIC ${arg_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${arg_USES} ${arg_LINKS})
    scrivlet_warnings(${name})
    if(arg_PORTABLE AND SCRIVLET_FUZZ)
        # Coverage for the fuzz targets, which link the portable libraries.
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer-no-link)
    endif()
endfunction()

# Under Xvfb no window manager runs, and Wine waits two seconds for one
# whenever a managed window hides. The windows of `program` (its .exe name
# without the extension) are left unmanaged by a fixture that TESTS require.
function(scrivlet_unmanaged_windows program)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "TESTS")
    set(fixture ${program}_unmanaged)
    add_test(NAME ${fixture}
        COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} reg add
            "HKCU\\Software\\Wine\\AppDefaults\\${program}.exe\\X11 Driver" /v Managed /d N /f)
    set_tests_properties(${fixture} PROPERTIES FIXTURES_SETUP ${fixture})
    set_tests_properties(${arg_TESTS} PROPERTIES FIXTURES_REQUIRED ${fixture})
endfunction()
