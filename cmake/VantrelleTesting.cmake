# GoogleTest from Debian's sources, built with whichever toolchain this tree uses,
# and one helper to declare a test program.
set(VANTRELLE_TEST_RESULTS ${CMAKE_BINARY_DIR}/test-results)
file(MAKE_DIRECTORY ${VANTRELLE_TEST_RESULTS})

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# gtest's own sources do not build warning-free under -Werror with every toolchain.
# Unoptimised, as the test programs (tests/CMakeLists.txt): it compiles three times as fast.
target_compile_options(gtest PRIVATE -Wno-error -O0)
target_compile_options(gtest_main PRIVATE -Wno-error -O0)

# vantrelle_time_limit(TEST SECONDS): TEST is stopped after SECONDS, about three
# times its slowest normal run, by tests/wine/wine-run, which then shows what the
# program printed until then; CTest's own timeout stands behind it. A third of
# it is what CTest expects the test to take (COST), so that the long tests start
# first even in a tree that has never run: the run ends sooner.
function(vantrelle_time_limit test seconds)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT VANTRELLE_TIME_LIMIT=${seconds})
    math(EXPR timeout "${seconds} + 30")
    math(EXPR cost "${seconds} / 3")
    set_tests_properties(${test} PROPERTIES TIMEOUT ${timeout} COST ${cost})
endfunction()

# vantrelle_add_gtest(NAME [LIMIT SECONDS] [OWN_DISPLAY] SOURCES... [LIBS libs...])
# One test program, run once by CTest (under Wine for Windows builds); its
# per-case results go to test-results/NAME.xml for the summary line. Its time
# limit is 60 s unless it says more. OWN_DISPLAY: in a prefix and on a display
# of its own (tests/e2e/run-scenario), for a program that moves the pointer or
# looks at which window is in front, which another test's windows would disturb.
function(vantrelle_add_gtest name)
    cmake_parse_arguments(ARG "OWN_DISPLAY" "LIMIT" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_LIMIT)
        set(ARG_LIMIT 60)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest_main)
    if(WIN32)
        target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/UnbufferedOutput.cpp)
        target_link_options(${name} PRIVATE -mconsole)
        set(xml "Z:${VANTRELLE_TEST_RESULTS}/${name}.xml")
    else()
        set(xml "${VANTRELLE_TEST_RESULTS}/${name}.xml")
    endif()
    if(ARG_OWN_DISPLAY)
        add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/run-scenario $<TARGET_FILE:${name}>
            --gtest_output=xml:${xml})
        set_tests_properties(${name} PROPERTIES LABELS gtest ENVIRONMENT "DISPLAY=")
    else()
        add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${xml})
        set_tests_properties(${name} PROPERTIES LABELS gtest)
    endif()
    vantrelle_time_limit(${name} ${ARG_LIMIT})
endfunction()

