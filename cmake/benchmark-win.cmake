# Google Benchmark for the Windows tree: the static libraries that
# tools/setup-windeps.sh builds into the dependencies' folder, as the targets
# the machine's package gives the native tree. Sets benchmark_FOUND.
set(_benchmark_lib ${VELVANE_WINDEPS_DIR}/lib/libbenchmark.a)
set(_benchmark_main_lib ${VELVANE_WINDEPS_DIR}/lib/libbenchmark_main.a)
if(EXISTS ${_benchmark_lib} AND EXISTS ${_benchmark_main_lib})
    add_library(benchmark::benchmark STATIC IMPORTED)
    set_target_properties(benchmark::benchmark PROPERTIES
        IMPORTED_LOCATION ${_benchmark_lib}
        INTERFACE_INCLUDE_DIRECTORIES ${VELVANE_WINDEPS_DIR}/include
        INTERFACE_COMPILE_DEFINITIONS BENCHMARK_STATIC_DEFINE
        INTERFACE_LINK_LIBRARIES shlwapi)
    add_library(benchmark::benchmark_main STATIC IMPORTED)
    set_target_properties(benchmark::benchmark_main PROPERTIES
        IMPORTED_LOCATION ${_benchmark_main_lib}
        INTERFACE_LINK_LIBRARIES benchmark::benchmark)
    set(benchmark_FOUND TRUE)
else()
    set(benchmark_FOUND FALSE)
endif()
