# What `cmake --install` puts where (GNUInstallDirs), and the Debian package that CPack makes of
# it (`./build.sh package`).
#
#   bin/                                   quenby, quenby-sql, quenby-history
#   share/doc/quenby/                      manual.htm (found by util::FindManual), copyright
#   share/applications/quenby.desktop      the desktop entry
#   share/icons/hicolor/scalable/apps/     quenby.svg
#   share/icons/hicolor/NxN/apps/          quenby.png, rendered at build time
#   share/man/man1/                        quenby.1, quenby-sql.1, quenby-history.1

install(TARGETS quenby quenby-sql quenby-history RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/src/gui/manual.htm ${PROJECT_SOURCE_DIR}/desktop/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/desktop/quenby.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/quenby.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size IN LISTS QUENBY_ICON_SIZES)
    install(FILES ${QUENBY_ICON_DIR}/${size}x${size}/quenby.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
# The man pages carry the project version in their title line.
foreach(page quenby quenby-sql quenby-history)
    configure_file(${PROJECT_SOURCE_DIR}/man/${page}.1.in ${PROJECT_BINARY_DIR}/man/${page}.1 @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The Debian package: its dependencies (the Qt 6 libraries, SQLite, the C++ runtime) come from
# dpkg-shlibdeps on the installed programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quenby)
set(CPACK_PACKAGE_VENDOR "The Quenby developers")
set(CPACK_PACKAGE_CONTACT "Quenby developers <quenby@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Monitor for one Oracle database instance")
set(CPACK_PACKAGE_DESCRIPTION
    "Quenby shows the sessions of an Oracle instance with their statistics, waits, SQL and locks, \
and the instance's parameters and memory; it kills sessions, captures SQL and exports lists. \
quenby-sql runs SQL statements from the command line; quenby-history prints the top sessions, SQL \
and events of a time range from the activity history that Quenby keeps. An embedded sandbox instance lets both \
run without Oracle. Licence: GPL-3.0-or-later.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/quenby")
set(CPACK_STRIP_FILES ON)
include(CPack)
