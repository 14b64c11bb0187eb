# What `cmake --install` puts where, and the Debian package CPack makes of it.
include(GNUInstallDirs)
# Debian names the folder after the package, not the project.
set(QUORLIN_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quorlin)

install(TARGETS quorlin-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages from the programs' own --help, so that they cannot drift.
set(QUORLIN_MAN_PAGES "")
function(quorlin_man_page target description)
  set(page ${CMAKE_BINARY_DIR}/man/${target}.1.gz)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/man-page.sh $<TARGET_FILE:${target}> ${description} ${page}
    DEPENDS ${target} ${CMAKE_SOURCE_DIR}/scripts/man-page.sh
    COMMENT "Manual page of ${target}" VERBATIM)
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  set(QUORLIN_MAN_PAGES ${QUORLIN_MAN_PAGES} ${page} PARENT_SCOPE)
endfunction()

quorlin_man_page(quorlin-cli "the Quorlin powder-diffraction model on the command line")
if(QUORLIN_BUILD_GUI)
  quorlin_man_page(quorlin "a workbench for powder diffraction and crystallography")
  install(TARGETS quorlin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/dist/quorlin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/dist/quorlin-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME quorlin.xml)
  install(FILES ${CMAKE_SOURCE_DIR}/dist/icons/quorlin.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/dist/icons/quorlin-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quorlin.png)
  endforeach()
endif()
# Part of every full build: the install and the package need them.
add_custom_target(man ALL DEPENDS ${QUORLIN_MAN_PAGES})

# The guide and its pictures, where Help > User Guide looks for them.
install(FILES ${CMAKE_SOURCE_DIR}/docs/guide.md DESTINATION ${QUORLIN_DOC_DIR} OPTIONAL)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/guide DESTINATION ${QUORLIN_DOC_DIR} OPTIONAL
        FILES_MATCHING PATTERN "*.png")
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/examples/series DESTINATION ${QUORLIN_DOC_DIR}/examples OPTIONAL
        USE_SOURCE_PERMISSIONS)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorlin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quorlin developers <quorlin@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "workbench for powder diffraction and crystallography")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorlin draws the reflections a unit cell allows over a measured pattern\n(GSAS, CPI, CHI, MCA, x-y) and fits the cell by dragging a line onto a peak.\nquorlin-cli offers the same model for batch work.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The toolkit loads its X11/Wayland plugins at run time, where dpkg-shlibdeps
# cannot see them, and libqt6gui6 only recommends them: without them the
# program cannot open a window.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
