# Installation on Linux: the program with its desktop entry, icon, udev rule
# and manual page (component "program"), and the valve simulator with its
# manual page (component "simulator"). CPack builds one Debian package of each
# (cpack -G DEB in the build folder): tarvelmundix and tarvelmundix-valve-sim.
include(GNUInstallDirs)

if(UNIX AND NOT APPLE)
  set(_linux ${PROJECT_SOURCE_DIR}/resources/linux)
  install(FILES ${_linux}/tarvelmundix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
          COMPONENT program)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/tarvelmundix.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps COMPONENT program)
  # udev reads rules from /usr/lib/udev/rules.d (packaged) or /etc/udev/rules.d;
  # Debian's udev reloads its rules when a package puts one there.
  set(TVX_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING "Where the udev rule is installed")
  install(FILES ${_linux}/70-tarvelmundix.rules DESTINATION ${TVX_UDEV_RULES_DIR} COMPONENT program)

  # Manual pages and the Debian documentation files, compressed as Debian
  # wants them (gzip -9n: no name or time stamp, so the bytes are reproducible).
  find_program(TVX_GZIP gzip REQUIRED)
  set(_pkgdoc ${CMAKE_BINARY_DIR}/packaging)
  file(MAKE_DIRECTORY ${_pkgdoc})
  foreach(_page tarvelmundix.1 tarvelmundix-cli.1 valve-sim.1)
    execute_process(COMMAND ${TVX_GZIP} -9n -c ${_linux}/${_page} OUTPUT_FILE ${_pkgdoc}/${_page}.gz)
  endforeach()
  execute_process(COMMAND ${TVX_GZIP} -9n -c ${_linux}/debian/changelog OUTPUT_FILE ${_pkgdoc}/changelog.gz)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${_linux}/tarvelmundix.1 ${_linux}/tarvelmundix-cli.1 ${_linux}/valve-sim.1 ${_linux}/debian/changelog)
  install(FILES ${_pkgdoc}/tarvelmundix.1.gz ${_pkgdoc}/tarvelmundix-cli.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT program)
  install(FILES ${_pkgdoc}/valve-sim.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT simulator)
  foreach(_component_package program:tarvelmundix simulator:tarvelmundix-valve-sim)
    string(REPLACE ":" ";" _pair ${_component_package})
    list(GET _pair 0 _component)
    list(GET _pair 1 _package)
    install(FILES ${_linux}/debian/copyright ${_pkgdoc}/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${_package} COMPONENT ${_component})
  endforeach()
endif()

set(CPACK_PACKAGE_NAME "tarvelmundix")
set(CPACK_PACKAGE_VENDOR "Tarvelmundix Hydraulika")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tarvelmundix Hydraulika <serwis@tarvelmundix.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

# Each package's description starts with its own synopsis line (so no
# CPACK_PACKAGE_DESCRIPTION_SUMMARY, which CPack would put in front of both).
set(CPACK_COMPONENTS_ALL program simulator)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME "tarvelmundix")
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SUGGESTS "tarvelmundix-valve-sim")
# The windows are laid out in pixels for the font the program asks for (see
# src/ui/application.h); the shared libraries are added by shlibdeps.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "fonts-liberation2")
# Qt's own texts in Polish (standard buttons, context menus), loaded at start.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_COMPONENT_PROGRAM_DESCRIPTION
    "Service tool for proportional hydraulic valve electronics
Reads and edits the working parameters of a proportional hydraulic
directional valve's control electronics over its USB virtual serial port,
stores them in the valve's EEPROM profiles, shows its live state and stop
codes, drives it with a set value and charts its regulation. Includes the
udev rule that gives the desktop user access to the valve's port.")
set(CPACK_DEBIAN_SIMULATOR_PACKAGE_NAME "tarvelmundix-valve-sim")
set(CPACK_COMPONENT_SIMULATOR_DESCRIPTION
    "Simulated valve electronics for the Tarvelmundix service tool
valve-sim serves a simulated proportional-valve control electronics on a
pseudo-terminal and registers it as a COM port for tarvelmundix, for
training, demonstrations and tests without hardware. It can pace the line,
keep its EEPROM in a file and inject link faults.")
include(CPack)
