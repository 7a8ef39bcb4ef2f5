# VELVANE_VERSION ("major.minor.revision") from the plug-in's version number
# in analyser/plugin_version.h, the one place it is written.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../analyser/plugin_version.h VELVANE_VERSION_LINE
    REGEX "kPluginVersion = 0x[0-9A-Fa-f]+;")
string(REGEX MATCH "0x[0-9A-Fa-f]+" VELVANE_VERSION_NUMBER "${VELVANE_VERSION_LINE}")
if(NOT VELVANE_VERSION_NUMBER)
    message(FATAL_ERROR "no kPluginVersion in analyser/plugin_version.h")
endif()
math(EXPR VELVANE_VERSION_MAJOR "${VELVANE_VERSION_NUMBER} >> 16")
math(EXPR VELVANE_VERSION_MINOR "(${VELVANE_VERSION_NUMBER} >> 8) & 255")
math(EXPR VELVANE_VERSION_REVISION "${VELVANE_VERSION_NUMBER} & 255")
set(VELVANE_VERSION "${VELVANE_VERSION_MAJOR}.${VELVANE_VERSION_MINOR}.${VELVANE_VERSION_REVISION}")
