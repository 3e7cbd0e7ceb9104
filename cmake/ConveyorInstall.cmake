# Everything `cmake --install` puts in place, in one file: the two programs and the files
# the desktop finds them by (menu entry, AppStream metainfo, icons, manual pages, bash
# completion). The installed programs need nothing from the build tree: their pictures are
# compiled in, and their settings go to the user's configuration folder.
include(GNUInstallDirs)

set(CONVEYOR_APP_ID org.example.conveyor.Conveyor)
set(CONVEYOR_RESOURCES ${PROJECT_SOURCE_DIR}/resources)

# The programs every user runs, and their copies that the package lets hold the port
# capability, executable by root and the group lp only (debian/conveyor.postinst); each
# public program passes on to its copy when the user may run it.
set(CONVEYOR_PRIVILEGED_DIR ${CMAKE_INSTALL_LIBEXECDIR}/conveyor)
install(TARGETS conveyor conveyor-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS conveyor conveyor-cli RUNTIME DESTINATION ${CONVEYOR_PRIVILEGED_DIR})
target_compile_definitions(platform PRIVATE
  CONVEYOR_INSTALL_BINDIR="${CMAKE_INSTALL_FULL_BINDIR}"
  CONVEYOR_INSTALL_PRIVILEGED_DIR="${CMAKE_INSTALL_FULL_LIBEXECDIR}/conveyor")

# The settings rule needs to know the installed program folder, wherever the prefix put
# it, to keep settings out of it even when root could write there.
target_compile_definitions(shell PRIVATE
  CONVEYOR_INSTALL_BINDIR="${CMAKE_INSTALL_FULL_BINDIR}")

install(FILES ${CONVEYOR_RESOURCES}/desktop/${CONVEYOR_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CONVEYOR_RESOURCES}/desktop/${CONVEYOR_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The icons are drawn by resources/images/icon-pictures.py into the theme's own layout.
install(DIRECTORY ${CONVEYOR_RESOURCES}/icons/hicolor
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${CONVEYOR_RESOURCES}/man/conveyor.1 ${CONVEYOR_RESOURCES}/man/conveyor-cli.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Loaded on demand by bash-completion, by the command's name.
install(FILES ${CONVEYOR_RESOURCES}/completion/conveyor-cli
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
