# What `cmake --install` puts in place and what `cpack -G DEB` packs: the three programs in bin/, the
# data files in share/kestrio (where the program looks after the working directory), the guide with
# its pictures, the example configuration and the README in share/doc/kestrio, a desktop entry and
# an icon.
include(GNUInstallDirs)

install(TARGETS kestrio kestrio-cli kestrio-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY "${CMAKE_SOURCE_DIR}/data/" DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrio)
set(KESTRIO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/kestrio)
install(FILES "${CMAKE_SOURCE_DIR}/docs/guide.md" "${CMAKE_SOURCE_DIR}/README.md" DESTINATION ${KESTRIO_DOC_DIR})
install(DIRECTORY "${CMAKE_SOURCE_DIR}/docs/img" "${CMAKE_SOURCE_DIR}/docs/examples" DESTINATION ${KESTRIO_DOC_DIR})
install(FILES "${CMAKE_SOURCE_DIR}/packaging/kestrio.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${CMAKE_SOURCE_DIR}/packaging/kestrio.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME kestrio)
set(CPACK_PACKAGE_VENDOR "Brantel")
set(CPACK_PACKAGE_CONTACT "Kestrio developers <kestrio@brantel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Commissioning utility for the Tessel Ethernet I/O brain")
set(CPACK_PACKAGE_DESCRIPTION "Kestrio logs and decodes memory-map packets, reads and writes the brain's \
memory map and EEPROM, shows the rack's points, edits option pages and the event/reaction configuration. \
It comes with kestrio-sim, a simulated brain, and kestrio-cli, every device operation scriptable.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://brantel.example/kestrio")
# The dependencies are read from the libraries the binaries link (dpkg-shlibdeps): the Qt 6 runtime
# packages (libqt6core6, libqt6gui6, libqt6widgets6, libqt6network6, libqt6charts6, ...) and the C++
# runtime, with the versions this build needs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
