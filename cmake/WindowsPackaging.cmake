# The Windows packages (preset windows, target package): travek-<version>-win64.zip and an NSIS
# installer with a Start-menu entry. Both hold travek.exe (static runtime: nothing else is needed),
# travek-report.exe (the console program that checks a measurement log), the example interface
# definition, a short README, the licence and the notices of the runtime linked into the programs. Run at the end of the top-level directory (cmake/Windows.cmake defers
# it), when the travek target exists.
#
# TRAVEK saves its files in the folder it is started in, and a standard user cannot write the
# installation folder. The installer therefore makes the installing user's working folder,
# Documents\TRAVEK, puts the example definition there unless one is there already, and a
# TRAVEK.INI naming it where there is none, so that the first start is ready to measure; and it
# starts the Start-menu entry in it. The folder is made whether or not shortcuts are: a user
# without the entry starts TRAVEK there by hand. The entry is the user's own, like the folder; the
# uninstaller removes the program and the entry, never the folder with the user's files.
install(TARGETS travek travek-report RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/examples/demo/DEMO.VAL DESTINATION .)
# Notepad before Windows 10 1809 shows a text with LF line ends as one long line.
configure_file(${CMAKE_SOURCE_DIR}/src/gui/win32/README.txt ${CMAKE_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${CMAKE_SOURCE_DIR}/src/gui/win32/THIRD-PARTY.txt DESTINATION .)

set(CPACK_PACKAGE_NAME "travek")
set(CPACK_PACKAGE_VENDOR "TRAVEK")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME "travek-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "TRAVEK")
set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_OUTPUT_FILE_PREFIX "${CMAKE_BINARY_DIR}/packages")
# The installer's licence page (without it, CPack shows a placeholder there).
set(CPACK_RESOURCE_FILE_LICENSE "${CMAKE_SOURCE_DIR}/LICENSE")

set(CPACK_NSIS_DISPLAY_NAME "TRAVEK ${PROJECT_VERSION}")
set(CPACK_NSIS_PACKAGE_NAME "TRAVEK")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# A 64-bit installer for the 64-bit program (NSIS ships the amd64 stubs and plugins); it also runs
# under a wine without 32-bit support.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_MENU_LINKS "README.txt" "TRAVEK README")
set(CPACK_NSIS_INSTALLED_ICON_NAME "travek.exe")
set(CPACK_NSIS_MUI_ICON "${CMAKE_SOURCE_DIR}/data/travek.ico")
set(CPACK_NSIS_MUI_UNIICON "${CMAKE_SOURCE_DIR}/data/travek.ico")
# The installer's own version information (Explorer's "Details"), as travek.exe has it.
string(APPEND CPACK_NSIS_DEFINES "\nVIProductVersion ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0"
       "\nVIAddVersionKey ProductName TRAVEK"
       "\nVIAddVersionKey FileDescription \"TRAVEK Setup\""
       "\nVIAddVersionKey ProductVersion ${PROJECT_VERSION}"
       "\nVIAddVersionKey FileVersion ${PROJECT_VERSION}"
       "\nVIAddVersionKey LegalCopyright \"TRAVEK developers\"")
# The licence page informs and goes on with "Next" instead of "I Agree": the Apache License asks
# nothing of whoever only uses the program.
string(APPEND CPACK_NSIS_DEFINES
       "\n!define MUI_LICENSEPAGE_TEXT_BOTTOM \"TRAVEK is free software: this licence lets you use, "
       "copy and pass it on; installing it asks you to agree to nothing.\""
       "\n!define MUI_LICENSEPAGE_BUTTON \"$(^NextBtn)\"")
# $SV_ALLUSERS is how the CPack installer remembers that it installs for all users.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [[
  SetShellVarContext current
  CreateDirectory "$DOCUMENTS\TRAVEK"
  IfFileExists "$DOCUMENTS\TRAVEK\DEMO.VAL" +2 0
    CopyFiles /SILENT "$INSTDIR\DEMO.VAL" "$DOCUMENTS\TRAVEK\DEMO.VAL"
  IfFileExists "$DOCUMENTS\TRAVEK\TRAVEK.INI" +2 0
    WriteINIStr "$DOCUMENTS\TRAVEK\TRAVEK.INI" "PARAMETER" "INTERFACE" "DEMO"
  StrCmp $SV_ALLUSERS "AllUsers" 0 +2
    SetShellVarContext all
]])
set(CPACK_NSIS_CREATE_ICONS_EXTRA [[
  SetShellVarContext current
  CreateDirectory "$SMPROGRAMS\$STARTMENU_FOLDER"
  SetOutPath "$DOCUMENTS\TRAVEK"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\TRAVEK.lnk" "$INSTDIR\travek.exe" "" "$INSTDIR\travek.exe" 0
  SetOutPath "$INSTDIR"
  StrCmp $SV_ALLUSERS "AllUsers" 0 +2
    SetShellVarContext all
]])
set(CPACK_NSIS_DELETE_ICONS_EXTRA [[
  SetShellVarContext current
  Delete "$SMPROGRAMS\$MUI_TEMP\TRAVEK.lnk"
  RMDir "$SMPROGRAMS\$MUI_TEMP"
  SetShellVarContext all
  Delete "$SMPROGRAMS\$MUI_TEMP\TRAVEK.lnk"
]])
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The NSIS lines above reach the installer script as written, backslashes included.
set(CPACK_VERBATIM_VARIABLES ON)
include(CPack)
