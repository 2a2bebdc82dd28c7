# Each platform's implementation of the core's seams: serial device, port list, keyboard and file
# replacement, SHA-256, the user's and the computer's names, console output and the broker's client.
# CMake picks one set; no source is listed twice.
set(TRAVEK_POSIX_SOURCES
    posix/PosixSerial.cpp
    posix/PosixBaudRate.cpp
    posix/LinuxPortList.cpp
    posix/ComPortMap.cpp
    posix/PosixFileReplace.cpp
    posix/PosixFileRead.cpp
    posix/RegularFile.cpp
    posix/PosixAppendFile.cpp
    posix/PosixFileStamp.cpp
    posix/PosixFolderLock.cpp
    posix/SignalPipe.cpp
    posix/PosixDeviceWatch.cpp
    posix/UsbIdentity.cpp
    posix/PollKeyWait.cpp
    posix/OpenSslSha256.cpp
    posix/PosixUserIdentity.cpp
    posix/PosixConsoleText.cpp
    posix/PosixSocketWatch.cpp
)
set(TRAVEK_X11_SOURCES
    x11/X11KeymapLookup.cpp
    x11/X11Keyboard.cpp
    x11/KeysymKeyboard.cpp
    x11/X11FocusWindow.cpp
    x11/X11Display.cpp
)
# The generated protocol code of the Wayland keyboard is added where the library is built.
set(TRAVEK_WAYLAND_SOURCES
    wayland/WaylandKeyboard.cpp
    wayland/VirtualKeyboardProtocol.cpp
    wayland/WlrFocusWindow.cpp
    wayland/WlrForeignToplevelProtocol.cpp
    wayland/SeatKeymap.cpp
)
# The desktop portal's keyboard speaks D-Bus through QtDBus, the one platform part built on Qt.
set(TRAVEK_PORTAL_SOURCES
    portal/PortalConnection.cpp
    portal/PortalKeyboard.cpp
    portal/ModifierHold.cpp
    portal/InputMethodWatch.cpp
)
# Chooses among the Linux desktop keyboards above.
set(TRAVEK_LINUX_SOURCES
    linux/LinuxKeyboardFactory.cpp
    linux/LinuxFocusWindow.cpp
)
set(TRAVEK_WIN32_SOURCES
    win32/Win32Serial.cpp
    win32/Win32PortList.cpp
    win32/Win32Keyboard.cpp
    win32/Win32TakenWatch.cpp
    win32/Win32KeyboardFactory.cpp
    win32/Win32FileReplace.cpp
    win32/Win32FileRead.cpp
    win32/Win32AppendFile.cpp
    win32/Win32FileStamp.cpp
    win32/Win32FolderLock.cpp
    win32/WideText.cpp
    win32/Win32DeviceWatch.cpp
    win32/Win32FocusWindow.cpp
    win32/CngSha256.cpp
    win32/Win32UserIdentity.cpp
    win32/Win32ConsoleText.cpp
    win32/Win32SocketWatch.cpp
)
# The broker's client library (libmosquitto) on both systems; TLS where the library has it.
set(TRAVEK_MQTT_SOURCES
    mqtt/MosquittoClient.cpp
)
set(TRAVEK_MQTT_LINUX_SOURCES mqtt/OpenSslBrokerTls.cpp)
set(TRAVEK_MQTT_WIN32_SOURCES mqtt/NoBrokerTls.cpp)
foreach(list TRAVEK_POSIX_SOURCES TRAVEK_X11_SOURCES TRAVEK_WAYLAND_SOURCES TRAVEK_PORTAL_SOURCES TRAVEK_LINUX_SOURCES
             TRAVEK_WIN32_SOURCES TRAVEK_MQTT_SOURCES TRAVEK_MQTT_LINUX_SOURCES TRAVEK_MQTT_WIN32_SOURCES)
    list(TRANSFORM ${list} PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
endforeach()
