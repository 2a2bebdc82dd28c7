# Installation and the Debian package: the program, the simulator, the log's report, their manual pages, the menu
# entry, the icon, the copyright and the changelog.
# Included at the end of the top-level CMakeLists.txt, when every target exists.
include(GNUInstallDirs)

foreach(program travek travek-sim travek-report)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/data/travek.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/travek.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The manual pages and the changelog are installed compressed, as Debian wants them and man reads
# them anywhere: gzip -9 at most, -n without a name or time stamp, so that every build of the same
# text gives the same bytes. configure_file runs CMake again when a page changes.
find_program(TRAVEK_GZIP gzip REQUIRED)
set(docs ${CMAKE_BINARY_DIR}/docs)
foreach(page travek.1 travek-sim.1 travek-report.1)
    configure_file(${CMAKE_SOURCE_DIR}/docs/man/${page}.in ${docs}/${page} @ONLY)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/data/debian/changelog ${docs}/changelog COPYONLY)
execute_process(COMMAND ${TRAVEK_GZIP} -9nf ${docs}/travek.1 ${docs}/travek-sim.1 ${docs}/travek-report.1 ${docs}/changelog
                COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${docs}/travek.1.gz ${docs}/travek-sim.1.gz ${docs}/travek-report.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# A native package's changelog is changelog.gz; its newest entry must be this version.
file(STRINGS ${CMAKE_SOURCE_DIR}/data/debian/changelog newestEntry LIMIT_COUNT 1)
if(NOT newestEntry MATCHES "^travek \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "data/debian/changelog begins with \"${newestEntry}\": "
                        "its newest entry must be version ${PROJECT_VERSION}")
endif()
install(FILES ${CMAKE_SOURCE_DIR}/data/debian/copyright ${docs}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME travek)
set(CPACK_PACKAGE_VENDOR "TRAVEK developers")
set(TRAVEK_PACKAGE_MAINTAINER "TRAVEK developers <travek@example.org>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_PACKAGE_CONTACT "${TRAVEK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Keyboard wedge for multi-channel gauge interfaces")
# Lines of at most 79 characters: dpkg shows them indented by one.
set(CPACK_PACKAGE_DESCRIPTION
    "TRAVEK reads the measurements that a gauge interface box with up to 48\n"
    "channels sends on a serial port and types them, with the keys of a sequence\n"
    "such as Tab or Return, into the application that has the keyboard focus.\n"
    "The package also holds travek-sim, a simulated interface box on a pseudo\n"
    "terminal, and travek-report, which checks that a measurement log was not\n"
    "altered.")
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
