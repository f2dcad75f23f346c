# Read by CTest before the tests of the build tree: with KF_TEST_TIME_SCALE=N in the
# environment, every test's TIMEOUT, and the matching KF_WINE_TIMEOUT it hands to Wine,
# is N times longer. For runs on a slow machine (the emulated guest of scripts/vm) without
# touching the limits each test states for a normal one.
if(DEFINED ENV{KF_TEST_TIME_SCALE} AND "$ENV{KF_TEST_TIME_SCALE}" MATCHES "^[1-9][0-9]*$")
    function(set_tests_properties)
        # ARGVn keeps each argument whole (an ENVIRONMENT list holds semicolons).
        set(code "_set_tests_properties(")
        set(prev "")
        math(EXPR last "${ARGC} - 1")
        foreach(i RANGE 0 ${last})
            set(a "${ARGV${i}}")
            if(prev STREQUAL "TIMEOUT" AND a MATCHES "^[0-9]+$")
                math(EXPR a "${a} * $ENV{KF_TEST_TIME_SCALE}")
            elseif(prev STREQUAL "ENVIRONMENT" AND a MATCHES "KF_WINE_TIMEOUT=([0-9]+)")
                math(EXPR t "${CMAKE_MATCH_1} * $ENV{KF_TEST_TIME_SCALE}")
                string(REGEX REPLACE "KF_WINE_TIMEOUT=[0-9]+" "KF_WINE_TIMEOUT=${t}" a "${a}")
            endif()
            string(APPEND code " [==[${a}]==]")
            set(prev "${a}")
        endforeach()
        cmake_language(EVAL CODE "${code})")
    endfunction()
endif()
