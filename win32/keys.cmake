# Windows keyboard layer: the sender, the keybd_event keyboard and its test program.
add_library(travek_keys_win32 STATIC
    ${SRC}/keys/LayoutKeySender.cpp
    ${SRC}/keys/LogKeySender.cpp
    ${SRC}/keys/Win32Keyboard.cpp
    ${SRC}/keys/KeyOutputFactory.cpp
    ${SRC}/util/TextHelpers.cpp
)
target_include_directories(travek_keys_win32 PUBLIC ${SRC}/keys ${SRC}/util)

add_executable(Win32KeysTest ${TESTS}/win32/Win32KeysTest.cpp)
target_include_directories(Win32KeysTest PRIVATE ${TESTS}/win32)
target_link_libraries(Win32KeysTest PRIVATE travek_keys_win32)
