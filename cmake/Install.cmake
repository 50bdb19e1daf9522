# What `cmake --install` puts where, and the Debian package CPack makes of it.
include(GNUInstallDirs)

install(TARGETS zandolet zandolet-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/cli/zandolet-cli.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME zandolet-cli)
install(FILES ${PROJECT_SOURCE_DIR}/resources/zandolet.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
# The help is compiled into the program; the same pages are installed for reading elsewhere.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zandolet/html)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zandolet)

set(ZANDOLET_MAINTAINER "Zandolet maintainers <maintainers@zandolet.example>"
    CACHE STRING "Maintainer of the Debian package and its changelog")

# The manual pages and the package's changelog go compressed, as Debian has them.
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
set(ZANDOLET_GZIPPED ${CMAKE_BINARY_DIR}/debian/zandolet.1.gz ${CMAKE_BINARY_DIR}/debian/zandolet-cli.1.gz
    ${CMAKE_BINARY_DIR}/debian/changelog.gz)
add_custom_command(OUTPUT ${ZANDOLET_GZIPPED}
                   COMMAND sh -c "gzip -9n -c '${PROJECT_SOURCE_DIR}/docs/zandolet.1' > debian/zandolet.1.gz"
                   COMMAND sh -c "gzip -9n -c '${PROJECT_SOURCE_DIR}/docs/zandolet-cli.1' > debian/zandolet-cli.1.gz"
                   COMMAND sh -c "gzip -9n -c debian/changelog > debian/changelog.gz"
                   DEPENDS ${PROJECT_SOURCE_DIR}/docs/zandolet.1 ${PROJECT_SOURCE_DIR}/docs/zandolet-cli.1
                           ${CMAKE_BINARY_DIR}/debian/changelog
                   WORKING_DIRECTORY ${CMAKE_BINARY_DIR} VERBATIM)
add_custom_target(zandolet_docs DEPENDS ${ZANDOLET_GZIPPED})
# Installing needs them whatever was built.
add_dependencies(zandolet zandolet_docs)
add_dependencies(zandolet-cli zandolet_docs)
install(FILES ${CMAKE_BINARY_DIR}/debian/zandolet.1.gz ${CMAKE_BINARY_DIR}/debian/zandolet-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/debian/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zandolet)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zandolet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zandolet")
set(CPACK_PACKAGE_CONTACT "${ZANDOLET_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Internet domain name registration manager")
set(CPACK_PACKAGE_DESCRIPTION
    "Fills in the registry's plain-text templates for domains, name-server hosts\n\
and contacts, keeps every record as a small file, prints the template and\n\
mails it to the registration mailbox over SMTP. Two more pages look names up\n\
with WHOIS and Finger. The companion zandolet-cli lists, renders, checks,\n\
imports and mails the same records from a terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries (Qt, libcurl4 for RDAP, libldns3, ...) come from dpkg-shlibdeps; these are
# used at run time without being linked:
# the fonts the memos and pages map to, the services file, the MIME database and
# the certificates a TLS connection to the SMTP server is checked against, and
# libsecret, which QtKeychain loads to reach the desktop keyring.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, netbase, shared-mime-info, ca-certificates, libsecret-1-0")
# Qt's Wayland platform plugin is a package of its own; without it the program
# needs X11 (XWayland on a Wayland desktop).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)
