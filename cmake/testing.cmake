# velvane_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest program per call, registered with CTest. In the cross build
# CTest runs it under Wine through the toolchain's emulator.
if(CMAKE_CROSSCOMPILING)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set(VELVANE_GTEST_MAIN gtest_main gmock)
else()
    find_package(GTest REQUIRED)
    set(VELVANE_GTEST_MAIN GTest::gtest_main GTest::gmock)
endif()

function(velvane_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} ${VELVANE_GTEST_MAIN})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    # Where tests find the files of the source tree (under Wine through drive Z:).
    if(CMAKE_CROSSCOMPILING)
        target_compile_definitions(${name} PRIVATE VELVANE_SOURCE_DIR="Z:${CMAKE_SOURCE_DIR}")
    else()
        target_compile_definitions(${name} PRIVATE VELVANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    endif()
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    if(NOT CMAKE_CROSSCOMPILING)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT
            "ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0;UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1")
    endif()
endfunction()

# velvane_add_fuzzer(<name> SOURCES <files...> LIBS <targets...>)
# One libFuzzer program per call, not a test; none where the compiler has no
# libFuzzer (gcc, the cross build).
if(NOT WIN32)
    include(CheckCXXSourceCompiles)
    set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer)
    check_cxx_source_compiles(
        "extern \"C\" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }"
        VELVANE_HAVE_LIBFUZZER)
    unset(CMAKE_REQUIRED_FLAGS)
endif()

function(velvane_add_fuzzer name)
    if(NOT VELVANE_HAVE_LIBFUZZER)
        return()
    endif()
    cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${F_SOURCES})
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
    target_compile_definitions(${name} PRIVATE VELVANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
endfunction()
