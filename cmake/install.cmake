# Install rules and the Debian package. `cmake --install <build> --prefix DIR`
# puts the two programs in DIR/bin, their manual pages in DIR/share/man/man1
# (the program alone in a build without the tools) and the licence in
# DIR/share/doc/dicestat/copyright; `cpack -G DEB` in the build directory
# packs the same files under /usr.
include(GNUInstallDirs)

install(TARGETS dicestat RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_BINARY_DIR}/man/dicestat.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(DICESTAT_CHART)
  install(TARGETS dicestat-chart RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_BINARY_DIR}/man/dicestat-chart.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
# The licence, where Debian keeps a package's copyright.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)

set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dicestat)
set(CPACK_PACKAGE_VENDOR "dicestat maintainers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "dice-roll simulator with a statistics report")
set(CPACK_PACKAGE_DESCRIPTION
    "dicestat rolls a pair of dice from a seeded generator as often as asked, \
logs every roll and reports how evenly the 36 outcomes came up, marking the \
shares outside a fixed band. dicestat-chart draws a report as an SVG picture.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "dicestat maintainers")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Dependencies come from the libraries the binaries link (libc, libstdc++,
# libgcc), as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
