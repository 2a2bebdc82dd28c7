# libmosquitto for the Windows build: Debian's source package cross-compiled by mingw-w64 into a
# static library (scripts/mosquitto-mingw.sh), once per build folder, when the build is configured.
set(TRAVEK_MOSQUITTO_DIR ${CMAKE_BINARY_DIR}/mosquitto)
if(NOT EXISTS ${TRAVEK_MOSQUITTO_DIR}/lib/libmosquitto_static.a OR NOT EXISTS ${TRAVEK_MOSQUITTO_DIR}/version)
    message(STATUS "Building libmosquitto for Windows (scripts/mosquitto-mingw.sh)")
    execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/mosquitto-mingw.sh ${TRAVEK_MOSQUITTO_DIR}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "libmosquitto for Windows could not be built (scripts/mosquitto-mingw.sh)")
    endif()
endif()
file(READ ${TRAVEK_MOSQUITTO_DIR}/version TRAVEK_MOSQUITTO_VERSION)
string(STRIP "${TRAVEK_MOSQUITTO_VERSION}" TRAVEK_MOSQUITTO_VERSION)
message(STATUS "libmosquitto for Windows: ${TRAVEK_MOSQUITTO_VERSION}")
add_library(travek_mosquitto STATIC IMPORTED)
set_target_properties(travek_mosquitto PROPERTIES
    IMPORTED_LOCATION ${TRAVEK_MOSQUITTO_DIR}/lib/libmosquitto_static.a
    INTERFACE_INCLUDE_DIRECTORIES ${TRAVEK_MOSQUITTO_DIR}/include
    INTERFACE_COMPILE_DEFINITIONS LIBMOSQUITTO_STATIC
    INTERFACE_LINK_LIBRARIES ws2_32)
