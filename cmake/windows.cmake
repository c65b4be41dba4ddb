# The Windows build: the program and dicestat-chart, their unit tests run
# under Wine, and the zip that carries both (cmake/windows-zip.cmake). The
# end-to-end tests are POSIX code; a Linux build runs them against the
# Windows program through the wrapper script made here (see `make
# test-windows`).

# The Wine prefix the tests run in, the script that starts the program in
# it as if it were a native one, and the one that makes Wine whole there
# before the tests and ends it after them (tests/wine-session/session.sh).
set(DICESTAT_WINE_PREFIX ${PROJECT_BINARY_DIR}/wine-prefix)
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/dicestat-wine
     CONTENT "#!/bin/sh
WINEPREFIX='${DICESTAT_WINE_PREFIX}' WINEDEBUG=-all exec wine '$<TARGET_FILE:dicestat>' \"$@\"
"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                      WORLD_EXECUTE)
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/wine-session
     CONTENT "#!/bin/sh
WINEPREFIX='${DICESTAT_WINE_PREFIX}' exec '${PROJECT_SOURCE_DIR}/tests/wine-session/session.sh' \"$@\"
"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                      WORLD_EXECUTE)

if(DICESTAT_CHART)
  add_subdirectory(src/chart)
  include(cmake/windows-zip.cmake)
endif()

if(DICESTAT_TESTS)
  # No test framework is packaged for the cross compiler: build it from its
  # sources, quietly, since its warnings are not ours.
  set(DICESTAT_GTEST_SOURCE /usr/src/googletest/googletest
      CACHE PATH "GoogleTest sources for the Windows build")
  set(INSTALL_GTEST OFF)
  add_subdirectory(${DICESTAT_GTEST_SOURCE} googletest EXCLUDE_FROM_ALL)
  target_compile_options(gtest PRIVATE -w)
  target_compile_options(gtest_main PRIVATE -w)

  enable_testing()
  add_subdirectory(tests)
endif()
