# Cross build for 64-bit Windows with mingw-w64 (posix thread model); the
# Windows test programs run under Wine through the wrapper below.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOOL_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOL_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOL_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOL_PREFIX}-windres)
set(CMAKE_AR ${TOOL_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${TOOL_PREFIX}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${TOOL_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
