# The Windows build (preset windows): this tree cross-compiled by mingw-w64 (cmake/mingw-w64.cmake)
# into the portable core, the Windows layer and their test programs, which ctest runs under wine.
# The Qt interface, the X11 layer, the tools, the benchmarks and the Debian package are Linux only.
# Included by the top-level CMakeLists.txt after include(GoogleTest).

# Static runtime: the programs run under wine, and on a Windows machine, without the mingw DLLs
# beside them.
add_link_options(-static -static-libgcc -static-libstdc++)

# -O2, as the Linux build has it: at -O3, GCC 12 warns falsely (-Wrestrict) about std::string's
# operator+ inlined into our code, and -Werror would stop the build.
string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")

# GoogleTest compiled by mingw from the sources Debian ships (package googletest), so that the test
# programs link the same targets as on Linux. Our warning flags (and -Werror) are meant for
# our own code and stay off googletest's sources.
set(TRAVEK_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources, compiled for Windows")
if(NOT EXISTS ${TRAVEK_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest sources in ${TRAVEK_GOOGLETEST_SOURCE_DIR} (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE INTERNAL "")
set(BUILD_GMOCK ON CACHE INTERNAL "")
get_directory_property(travekCompileOptions COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
add_subdirectory(${TRAVEK_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${travekCompileOptions}")
# googletest names its targets GTest::gtest, GTest::gtest_main, GTest::gmock itself, as the
# installed package does.
foreach(target GTest::gtest GTest::gtest_main GTest::gmock)
    if(NOT TARGET ${target})
        message(FATAL_ERROR "${TRAVEK_GOOGLETEST_SOURCE_DIR} does not define ${target}")
    endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/MosquittoWindows.cmake)

# ctest starts every test program through wine-run.sh, with one wine prefix for the whole build
# directory; the first program creates it (about ten seconds), the others wait for that.
set(TRAVEK_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(TRAVEK_WINE_RUN ${CMAKE_SOURCE_DIR}/tests/platform/win32/wine-run.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TRAVEK_WINE_RUN} --prefix ${TRAVEK_WINEPREFIX})

# One ctest entry per test program, not per test: gtest_discover_tests would start each program
# under wine once at build time to list its tests and then once for every single test, and the
# wine starts are what the Windows tests spend their time on. This replaces the function of the
# GoogleTest module for this build, so travek_add_test (tests/CMakeLists.txt) stays the same.
function(gtest_discover_tests target)
    cmake_parse_arguments(ARG "" "" "PROPERTIES" ${ARGN})
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES TIMEOUT 180 ${ARG_PROPERTIES})
endfunction()

# The zip and the installer are described once every target exists: at the end of the top-level
# directory.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL include ${CMAKE_SOURCE_DIR}/cmake/WindowsPackaging.cmake)
