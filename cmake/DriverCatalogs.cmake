# The maker's signed driver catalogs, carried by the program and written with
# the driver information file. A catalog signs the hashes of the exact files of
# the driver package, so only the maker can supply one: sign the information
# file a build with catalogs writes (it names VCPDriverX64.cat and
# VCPDriverX86.cat; any two files serve for that first build), then build with
# both signed files given here. Without them the
# export writes the information file alone, with no catalog lines.
set(TVX_DRIVER_CATALOG_X64 "" CACHE FILEPATH "Signed driver catalog for 64-bit Windows (vcpdriverx64.cat)")
set(TVX_DRIVER_CATALOG_X86 "" CACHE FILEPATH "Signed driver catalog for 32-bit Windows (vcpdriverx86.cat)")

if(TVX_DRIVER_CATALOG_X64 OR TVX_DRIVER_CATALOG_X86)
  foreach(_cat IN ITEMS "${TVX_DRIVER_CATALOG_X64}" "${TVX_DRIVER_CATALOG_X86}")
    if(NOT _cat OR NOT EXISTS "${_cat}")
      message(FATAL_ERROR "Driver catalogs: give both TVX_DRIVER_CATALOG_X64 and TVX_DRIVER_CATALOG_X86 "
                          "as existing files (got '${TVX_DRIVER_CATALOG_X64}' and '${TVX_DRIVER_CATALOG_X86}')")
    endif()
  endforeach()
  set(_qrc "${CMAKE_CURRENT_BINARY_DIR}/driver_catalogs.qrc")
  file(WRITE "${_qrc}.in"
       "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/tarvelmundix/drivers\">\n"
       "    <file alias=\"x64.cat\">${TVX_DRIVER_CATALOG_X64}</file>\n"
       "    <file alias=\"x86.cat\">${TVX_DRIVER_CATALOG_X86}</file>\n"
       "  </qresource>\n</RCC>\n")
  configure_file("${_qrc}.in" "${_qrc}" COPYONLY)
  target_sources(tvx_ui PRIVATE "${_qrc}")
  set_source_files_properties(${PROJECT_SOURCE_DIR}/src/app/drivers.cpp TARGET_DIRECTORY tvx_ui PROPERTIES
                              COMPILE_DEFINITIONS TVX_DRIVER_CATALOGS)
  message(STATUS "Driver export: with the signed catalogs ${TVX_DRIVER_CATALOG_X64} and ${TVX_DRIVER_CATALOG_X86}")
endif()
