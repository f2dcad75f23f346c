# Unit tests (GoogleTest from Debian's source package) and libFuzzer targets.
#
#   kf_add_gtest(NAME <name> SOURCES <files...> [LIBRARIES <libs...>]
#                [TIMEOUT <seconds>] [LABELS <labels...>])
#   kf_add_fuzzer(NAME fuzz_<name> SOURCES <files...> [LIBRARIES <libs...>])

include_guard(GLOBAL)

option(KF_BUILD_TESTS "Build the unit tests" ON)
set(KF_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources (Debian package googletest)")
set(KF_TEST_TIMEOUT 300 CACHE STRING "Default CTest timeout in seconds for one test")

# The fuzz build only builds fuzzers, so it needs no GoogleTest.
if(KF_BUILD_TESTS AND NOT KF_FUZZ)
    if(NOT EXISTS "${KF_GTEST_SOURCE_DIR}/CMakeLists.txt")
        message(FATAL_ERROR "GoogleTest sources not found in ${KF_GTEST_SOURCE_DIR}; run scripts/install-deps.sh")
    endif()
    set(BUILD_GMOCK ON)
    set(INSTALL_GTEST OFF)
    # Only what a test links gets built.
    add_subdirectory("${KF_GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/_deps/googletest" EXCLUDE_FROM_ALL)
    foreach(_kf_gt gtest gtest_main gmock gmock_main)
        if(TARGET ${_kf_gt} AND NOT TARGET GTest::${_kf_gt})
            add_library(GTest::${_kf_gt} ALIAS ${_kf_gt})
        endif()
    endforeach()
    include(GoogleTest)
endif()
# Lets a slow test machine lengthen every test's limit at run time (KF_TEST_TIME_SCALE).
set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY TEST_INCLUDE_FILES
             "${CMAKE_CURRENT_LIST_DIR}/KfTestTimeScale.cmake")

# Paths the tests use to find fixtures and built programs. A Windows test runs under
# Wine, where the Unix root is drive Z:, so it gets a path Win32 calls understand.
function(_kf_test_path out path)
    if(KF_WIN32)
        set(path "Z:${path}")
    endif()
    set(${out} "${path}" PARENT_SCOPE)
endfunction()

function(kf_add_gtest)
    cmake_parse_arguments(PARSE_ARGV 0 ARG "" "NAME;TIMEOUT" "SOURCES;LIBRARIES;LABELS")
    if(NOT ARG_NAME OR NOT ARG_SOURCES)
        message(FATAL_ERROR "kf_add_gtest: NAME and SOURCES are required")
    endif()
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "kf_add_gtest(${ARG_NAME}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT KF_BUILD_TESTS OR KF_FUZZ)
        return()
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT ${KF_TEST_TIMEOUT})
    endif()

    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBRARIES} GTest::gmock GTest::gtest_main)
    _kf_test_path(src "${PROJECT_SOURCE_DIR}")
    _kf_test_path(bin "${PROJECT_BINARY_DIR}")
    target_compile_definitions(${ARG_NAME} PRIVATE KF_SOURCE_DIR="${src}" KF_BINARY_DIR="${bin}")

    if(CMAKE_CROSSCOMPILING)
        # One CTest entry per executable: listing tests through Wine yields CRLF lines
        # that gtest_discover_tests mis-parses, and a Wine start per test case is slow.
        add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME} --gtest_color=no
                 WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
        set_tests_properties(${ARG_NAME} PROPERTIES
            TIMEOUT ${ARG_TIMEOUT}
            # Let Wine's own limit match CTest's so a hung program is killed either way.
            ENVIRONMENT "KF_WINE_TIMEOUT=${ARG_TIMEOUT}"
            # gtest exits 0 when nothing ran; that is never what we want.
            FAIL_REGULAR_EXPRESSION "\\[  PASSED  \\] 0 tests")
        if(ARG_LABELS)
            set_tests_properties(${ARG_NAME} PROPERTIES LABELS "${ARG_LABELS}")
        endif()
        # Windows on one X display steal each other's focus: GUI tests take turns.
        if("gui" IN_LIST ARG_LABELS)
            set_tests_properties(${ARG_NAME} PROPERTIES RESOURCE_LOCK x_display)
        endif()
    else()
        set(props TIMEOUT ${ARG_TIMEOUT})
        if(ARG_LABELS)
            list(APPEND props LABELS "${ARG_LABELS}")
        endif()
        gtest_discover_tests(${ARG_NAME}
            TEST_PREFIX "${ARG_NAME}."
            WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
            DISCOVERY_MODE PRE_TEST
            DISCOVERY_TIMEOUT 120
            PROPERTIES ${props})
    endif()
endfunction()

function(kf_add_fuzzer)
    cmake_parse_arguments(PARSE_ARGV 0 ARG "" "NAME" "SOURCES;LIBRARIES")
    if(NOT ARG_NAME OR NOT ARG_SOURCES)
        message(FATAL_ERROR "kf_add_fuzzer: NAME and SOURCES are required")
    endif()
    # scripts/run-fuzzers.sh picks fuzzers up by this prefix.
    if(NOT ARG_NAME MATCHES "^fuzz_")
        message(FATAL_ERROR "kf_add_fuzzer: name '${ARG_NAME}' must start with fuzz_")
    endif()
    if(NOT KF_FUZZ)
        return()
    endif()
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBRARIES})
    target_compile_options(${ARG_NAME} PRIVATE -fsanitize=fuzzer,address)
    target_link_options(${ARG_NAME} PRIVATE -fsanitize=fuzzer,address)
    _kf_test_path(src "${PROJECT_SOURCE_DIR}")
    target_compile_definitions(${ARG_NAME} PRIVATE KF_SOURCE_DIR="${src}")
    add_dependencies(kf_fuzzers ${ARG_NAME})
endfunction()
