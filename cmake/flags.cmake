# Compiler settings shared by both builds.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

# Both builds must give the same floating-point results.
add_compile_options(-ffp-contract=off -fno-fast-math -Wall -Wextra)

if(WIN32)
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
    add_link_options(-static)
    set(VELVANE_WINDEPS_DIR "${CMAKE_SOURCE_DIR}/build/deps/win" CACHE PATH
        "libpng, RtAudio and RtMidi built for Windows by tools/setup-windeps.sh")
else()
    # The analyser is also loaded as a shared plug-in module by the tests.
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    option(VELVANE_SANITIZE "Build the native tree with AddressSanitizer and UBSan" ON)
    if(VELVANE_SANITIZE)
        add_compile_options(-fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all
                            -fno-omit-frame-pointer)
        add_link_options(-fsanitize=address,undefined,float-cast-overflow)
    endif()
endif()
