# One place for the language standard, warnings and sanitizer flags; every target links it.
add_library(wendar_options INTERFACE)
target_compile_features(wendar_options INTERFACE cxx_std_20)
target_compile_options(wendar_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                                -Wno-missing-field-initializers)
target_compile_definitions(wendar_options INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_KEYWORDS
                                                    _FILE_OFFSET_BITS=64)
if(WENDAR_TSAN)
    target_compile_options(wendar_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(wendar_options INTERFACE -fsanitize=thread)
endif()
if(WENDAR_SANITIZE)
    target_compile_options(wendar_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                    -fno-sanitize-recover=undefined)
    target_link_options(wendar_options INTERFACE -fsanitize=address,undefined)
endif()

# wendar_add_test_dir(NAME DIR LABEL): one test executable from every .cpp under DIR.
function(wendar_add_test_dir name dir label)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(NOT sources)
        message(STATUS "no tests in ${dir}")
        return()
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE wendar_core wendar_test_support GTest::gtest GTest::gmock GTest::gtest_main
                                          wendar_options)
    set(test_env "LANG=C.UTF-8;LC_ALL=C.UTF-8;TZ=Asia/Shanghai;WENDAR_SOURCE_DIR=${PROJECT_SOURCE_DIR};WENDAR_BINARY_DIR=${PROJECT_BINARY_DIR}")
    # gtest_discover_tests hands a test only the first entry of an ENVIRONMENT list: the fixed
    # environment comes through the launcher instead, for discovery and every test alike.
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${CMAKE_COMMAND};-E;env;${test_env}")
    if(label STREQUAL "unit")
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS ${label} TIMEOUT 300)
    else()
        # One process for the whole executable: its real servers start once, not once per test.
        add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
        set_tests_properties(${name} PROPERTIES LABELS ${label} TIMEOUT 900 ENVIRONMENT "${test_env}")
    endif()
endfunction()

if(WENDAR_FUZZERS)
    target_compile_options(wendar_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    target_link_options(wendar_options INTERFACE -fsanitize=address,undefined)
endif()
