# The Windows release: `cpack -G ZIP` in the Windows build packs
# dicestat-<version>-win64.zip, one folder holding both programs, a README for Windows,
# both manual pages as plain text and the licence, each text with CR LF line
# ends. `make package-windows` builds the target zip_contents, then packs:
# packing itself builds nothing, so that it never waits for the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
find_program(GROFF_PROGRAM groff REQUIRED) # cmake/windows_text.sh formats the pages

set(zip_text_dir ${PROJECT_BINARY_DIR}/zip-text)
file(MAKE_DIRECTORY ${zip_text_dir})
set(zip_texts)
function(add_windows_text in name)
  add_custom_command(OUTPUT ${zip_text_dir}/${name}
                     COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/windows_text.sh ${in} ${zip_text_dir}/${name}
                     DEPENDS ${in} ${PROJECT_SOURCE_DIR}/cmake/windows_text.sh VERBATIM)
  set(zip_texts ${zip_texts} ${zip_text_dir}/${name} PARENT_SCOPE)
endfunction()
# The README of the zip is written for Windows users: cmd and PowerShell,
# and nothing that lies outside the zip.
add_windows_text(${PROJECT_SOURCE_DIR}/cmake/windows-readme.txt README.txt)
add_windows_text(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt)
foreach(page dicestat dicestat-chart)
  add_windows_text(${PROJECT_BINARY_DIR}/man/${page}.1 ${page}.txt)
endforeach()
add_custom_target(zip_contents ALL DEPENDS ${zip_texts})
add_dependencies(zip_contents dicestat dicestat-chart)

install(TARGETS dicestat dicestat-chart RUNTIME DESTINATION .)
install(FILES ${zip_texts} DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME dicestat)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME dicestat-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES ON)
include(CPack)
