# The sources of the portable core: standard C++20, no Qt, no platform headers. One list, used by
# the program's build (Linux and mingw-w64) and by the fuzz project.
set(TRAVEK_CORE_SOURCES
    text/TextHelpers.cpp
    text/KeyString.cpp
    text/Error.cpp
    files/IniFile.cpp
    files/FileIo.cpp
    files/GridModel.cpp
    files/GridFile.cpp
    files/SeriesFile.cpp
    files/DefinitionFiles.cpp
    files/MeasurementLog.cpp
    files/FolderLock.cpp
    gauge/InterfaceDefinition.cpp
    gauge/InterfaceActivation.cpp
    gauge/PortControl.cpp
    gauge/LineReading.cpp
    typing/LayoutKeySender.cpp
    typing/RecordingKeyboard.cpp
    typing/LogKeySender.cpp
    typing/KeyOutputFactory.cpp
    serial/SerialSettings.cpp
    serial/SerialPort.cpp
    session/SequenceState.cpp
    session/ReceiveHandler.cpp
    session/Dialogs.cpp
    session/BoxActivation.cpp
    session/LineRecorder.cpp
    session/PortReconnect.cpp
    session/SessionFiles.cpp
    session/Session.cpp
    target/TargetWindow.cpp
    target/TargetGuard.cpp
)
list(TRANSFORM TRAVEK_CORE_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
