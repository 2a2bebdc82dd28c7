# Installation and the Debian package: the program, the simulator, the menu entry and the icon.
# Included at the end of the top-level CMakeLists.txt, when every target exists.
include(GNUInstallDirs)

foreach(program travek travek-sim)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/data/travek.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/travek.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME travek)
set(CPACK_PACKAGE_VENDOR "TRAVEK developers")
set(TRAVEK_PACKAGE_MAINTAINER "TRAVEK developers <travek@example.org>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_PACKAGE_CONTACT "${TRAVEK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Keyboard wedge for multi-channel gauge interfaces")
set(CPACK_PACKAGE_DESCRIPTION
    "TRAVEK reads the measurements that a gauge interface box with up to 48 channels sends on a\n"
    "serial port and types them, with the keys of a sequence such as Tab or Return, into the\n"
    "application that has the keyboard focus. The package also holds travek-sim, a simulated\n"
    "interface box on a pseudo terminal.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
# Installed programs carry no debug information.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The dependencies are the runtime packages of the libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
