# Install layout (GNUInstallDirs, relative to the prefix):
#   bin/wendar, bin/wendar-cli
#   share/wendar/{messagetype.dat,ring01.wav,sound/,help/}    the resources (never written)
#   share/applications/org.wendar.Wendar.desktop, share/metainfo/org.wendar.Wendar.metainfo.xml
#   share/icons/hicolor/{scalable,16x16..256x256}/apps/wendar.{svg,png}
#   share/man/man1/wendar.1, wendar-cli.1
#   share/bash-completion/completions/wendar-cli
#   lib/systemd/user/wendar-watch.service                       runs wendar-cli watch
# The user's data goes to $XDG_DATA_HOME/wendar, never under the prefix.
set(WENDAR_APP_ID org.wendar.Wendar)
set(WENDAR_HOMEPAGE "https://wendar.org" CACHE STRING "Home page named in the AppStream metadata")
set(WENDAR_LINUX_DIR ${PROJECT_SOURCE_DIR}/res/linux)
set(WENDAR_RESOURCE_DESTINATION ${CMAKE_INSTALL_DATADIR}/wendar)
set(WENDAR_RUNTIME_TREE ${CMAKE_BINARY_DIR}/bin)

install(TARGETS wendar-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${WENDAR_RUNTIME_TREE}/messagetype.dat ${WENDAR_RUNTIME_TREE}/ring01.wav
        DESTINATION ${WENDAR_RESOURCE_DESTINATION})
install(DIRECTORY ${WENDAR_RUNTIME_TREE}/sound ${WENDAR_RUNTIME_TREE}/help DESTINATION ${WENDAR_RESOURCE_DESTINATION})
install(FILES ${WENDAR_LINUX_DIR}/wendar-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${WENDAR_LINUX_DIR}/wendar-cli.bash-completion DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME wendar-cli)

# The unit names the executable by its installed path, which is known only at install time (a
# package installs under its own prefix).
install(CODE "
    set(WENDAR_UNIT_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    configure_file(\"${WENDAR_LINUX_DIR}/wendar-watch.service.in\" \"${CMAKE_BINARY_DIR}/install/wendar-watch.service\" @ONLY)
")
install(FILES ${CMAKE_BINARY_DIR}/install/wendar-watch.service DESTINATION lib/systemd/user)

# The AppStream file, checked by the install test with appstreamcli.
configure_file(${WENDAR_LINUX_DIR}/${WENDAR_APP_ID}.metainfo.xml.in ${CMAKE_BINARY_DIR}/install/${WENDAR_APP_ID}.metainfo.xml
               @ONLY)

# The desktop program and what only it needs.
if(TARGET wendar)
    install(TARGETS wendar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(TARGETS wendar_webengine LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/wendar)
    install(FILES ${WENDAR_LINUX_DIR}/${WENDAR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${CMAKE_BINARY_DIR}/install/${WENDAR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${WENDAR_LINUX_DIR}/wendar.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    # The PNGs are rendered from the SVG and kept in the tree:
    #   for s in 16 24 32 48 64 128 256; do rsvg-convert -w $s -h $s wendar.svg -o wendar-$s.png; done
    install(FILES ${WENDAR_LINUX_DIR}/icons/wendar.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size 16 24 32 48 64 128 256)
        install(FILES ${WENDAR_LINUX_DIR}/icons/wendar-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME wendar.png)
    endforeach()
endif()
