# The Windows packages (preset windows, target package): travek-<version>-win64.zip and an NSIS
# installer with a Start-menu entry. Both hold travek.exe (static runtime: nothing else is needed),
# the example interface definition and a short README. Run at the end of the top-level directory
# (cmake/Windows.cmake defers it), when the travek target exists.
install(TARGETS travek RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/examples/demo/DEMO.VAL DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/src/gui/win32/README.txt DESTINATION .)

set(CPACK_PACKAGE_NAME "travek")
set(CPACK_PACKAGE_VENDOR "TRAVEK")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME "travek-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "TRAVEK")
set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_OUTPUT_FILE_PREFIX "${CMAKE_BINARY_DIR}/packages")

set(CPACK_NSIS_DISPLAY_NAME "TRAVEK ${PROJECT_VERSION}")
set(CPACK_NSIS_PACKAGE_NAME "TRAVEK")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# A 64-bit installer for the 64-bit program (NSIS ships the amd64 stubs and plugins); it also runs
# under a wine without 32-bit support.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_MENU_LINKS "travek.exe" "TRAVEK" "README.txt" "TRAVEK README")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
include(CPack)
