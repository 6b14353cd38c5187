# Installation on Linux: the program, the simulator, a desktop entry with its
# icon and the udev rule for the valve's USB serial port; CPack builds a .deb
# that does the same (cpack -G DEB in the build folder).
include(GNUInstallDirs)

if(UNIX AND NOT APPLE)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/linux/tarvelmundix.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/tarvelmundix.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
  # udev reads rules from /usr/lib/udev/rules.d (packaged) or /etc/udev/rules.d.
  set(TVX_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING "Where the udev rule is installed")
  install(FILES ${PROJECT_SOURCE_DIR}/resources/linux/70-tarvelmundix.rules DESTINATION ${TVX_UDEV_RULES_DIR})

  # The command line program's manual page, compressed as Debian wants it
  # (gzip -9n: no name or time stamp).
  find_program(TVX_GZIP gzip)
  if(TVX_GZIP)
    set(_tvx_cli_page ${PROJECT_SOURCE_DIR}/resources/linux/tarvelmundix-cli.1)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
    execute_process(COMMAND ${TVX_GZIP} -9n -c ${_tvx_cli_page}
                    OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaging/tarvelmundix-cli.1.gz)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_tvx_cli_page})
    install(FILES ${CMAKE_BINARY_DIR}/packaging/tarvelmundix-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endif()

set(CPACK_PACKAGE_NAME "tarvelmundix")
set(CPACK_PACKAGE_VENDOR "Tarvelmundix")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Service tool for proportional hydraulic valve electronics")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "serwis@tarvelmundix.example")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
include(CPack)
