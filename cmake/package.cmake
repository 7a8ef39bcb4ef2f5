# The program as a file for Windows users: a zip of velvane.exe, the plug-in
# module velvane_vst.dll and the read-me, velvane-<version>-win64.zip in the
# build tree, made by every build in which either changed.
install(TARGETS velvane RUNTIME DESTINATION .)
install(TARGETS velvane_vst LIBRARY DESTINATION .)
set(VELVANE_READ_ME ${CMAKE_BINARY_DIR}/package/read-me.txt)
configure_file(${CMAKE_SOURCE_DIR}/resources/read-me.txt ${VELVANE_READ_ME} @ONLY NEWLINE_STYLE CRLF)
install(FILES ${VELVANE_READ_ME} DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME velvane)
set(CPACK_PACKAGE_VERSION ${VELVANE_VERSION})
set(VELVANE_PACKAGE_NAME velvane-${VELVANE_VERSION}-win64)
set(CPACK_PACKAGE_FILE_NAME ${VELVANE_PACKAGE_NAME})
set(CPACK_STRIP_FILES TRUE)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)

set(VELVANE_PACKAGE ${CMAKE_BINARY_DIR}/${VELVANE_PACKAGE_NAME}.zip)
add_custom_command(OUTPUT ${VELVANE_PACKAGE}
    COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake -G ZIP
    DEPENDS velvane velvane_vst ${VELVANE_READ_ME}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Packaging ${VELVANE_PACKAGE_NAME}.zip"
    VERBATIM)
add_custom_target(velvane_package ALL DEPENDS ${VELVANE_PACKAGE})
