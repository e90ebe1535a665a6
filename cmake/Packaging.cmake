# A portable ZIP and an NSIS installer of the Windows build, made by
# `cpack --config build/windows/CPackConfig.cmake` (see scripts/package.sh).

# Packing needs the program only, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
install(TARGETS Fendrel RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/INSTALL-NOTE.txt DESTINATION .)

set(CPACK_PACKAGE_NAME "Fendrel")
set(CPACK_PACKAGE_VENDOR "Fendrel developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Fendrel keeps chosen files from being changed or deleted by other programs")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Fendrel")
set(CPACK_PACKAGE_FILE_NAME "Fendrel-${PROJECT_VERSION}-win64")
set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_RESOURCE_FILE_LICENSE "${CMAKE_SOURCE_DIR}/docs/INSTALL-NOTE.txt")

# The installer: a 64-bit program (NSIS's amd64 stubs), per machine (the
# template asks for administrator rights), into the 64-bit Program Files,
# with a Start menu entry for the program. Its last page offers to start
# Fendrel: started from the elevated installer, the first run may store the
# password in the system folder and write the machine-wide Run value.
# (CPACK_PACKAGE_EXECUTABLES and CPACK_NSIS_MUI_FINISHPAGE_RUN would look for
# the program in a bin folder we do not use.)
set(CPACK_NSIS_PACKAGE_NAME "Fendrel ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "Fendrel")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_MUI_ICON "${CMAKE_SOURCE_DIR}/resources/fendrel.ico")
set(CPACK_NSIS_MUI_UNIICON "${CMAKE_SOURCE_DIR}/resources/fendrel.ico")
set(CPACK_NSIS_INSTALLED_ICON_NAME "Fendrel.exe")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MENU_LINKS "Fendrel.exe" "Fendrel")
set(CPACK_NSIS_DEFINES "
  Target amd64-unicode
  !define MUI_FINISHPAGE_RUN '$INSTDIR\\\\Fendrel.exe'")
# The uninstaller stops before it removes anything while Fendrel runs: a
# running program cannot be deleted, and removing the rest would leave half
# a program. Then it removes the auto-start entry that the ON/OFF switch
# writes in the 64-bit view of the machine-wide Run key, when the entry
# starts this copy (another copy's entry is that copy's own), and the
# leftovers of an interrupted save. The lists and the password file stay.
# An install over a running Fendrel stops before it changes anything: the
# running program cannot be replaced, and the rest would not fit it.
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "
  ClearErrors
  Delete '$INSTDIR\\\\Fendrel.exe'
  IfErrors 0 fendrel_replaceable
    MessageBox MB_OK|MB_ICONSTOP 'Fendrel is running, so it cannot be installed over now. End it first with its password: open it from its tray icon, log in, and use Close Program. Then install again.' /SD IDOK
    Abort
  fendrel_replaceable:")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  ClearErrors
  Delete '$INSTDIR\\\\Fendrel.exe'
  IfErrors 0 fendrel_closed
    MessageBox MB_OK|MB_ICONSTOP 'Fendrel is running, so it cannot be uninstalled now. End it first with its password: open it from its tray icon, log in, and use Close Program. Then uninstall again.' /SD IDOK
    Abort
  fendrel_closed:
  SetRegView 64
  ReadRegStr $0 HKLM 'Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run' 'Fendrel'
  StrCmp $0 '$INSTDIR\\\\Fendrel.exe /silent' 0 fendrel_run_value_kept
    DeleteRegValue HKLM 'Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run' 'Fendrel'
  fendrel_run_value_kept:
  SetRegView lastused
  Delete '$INSTDIR\\\\prot.dat.new'
  Delete '$INSTDIR\\\\emer.dat.new'")

include(CPack)
