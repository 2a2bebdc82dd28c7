# The Windows serial layer (device and port list) and its test program, run under wine with a pty
# standing in for the COM port.
add_library(travek_serial_win32 STATIC
    ${SRC}/serial/SerialSettings.cpp
    ${SRC}/serial/Win32Serial.cpp
    ${SRC}/serial/Win32PortList.cpp
)
target_include_directories(travek_serial_win32 PUBLIC ${SRC}/serial)

add_executable(win32_serial_tests ${TESTS}/serial/Win32SerialTest.cpp)
target_include_directories(win32_serial_tests PRIVATE ${TESTS}/win32)
target_link_libraries(win32_serial_tests PRIVATE travek_serial_win32)
