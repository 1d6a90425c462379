# What a person installs, and the archives that hold it (cmake --build --preset ... --target
# package, which runs CPack; the archives land in build/<preset>/packages/).
#
#   component "addon"    the add-on for the simulator, laid out as the simulator's folder so
#                        that it unpacks into it: Modules/, Config/Vessels/, Meshes/Truss/,
#                        Scenarios/Spanrig/, Doc/Spanrig/. Nothing of the tests. A ZIP of the
#                        Windows DLLs (preset windows); a tar.gz of the Linux modules.
#   component "hostsim"  (Linux) the program, its library, the add-on tree it runs by
#                        default (share/hostsim) and its man page, to unpack into a prefix
#                        such as /usr/local.

set(addon_folder Spanrig)  # the add-on's own folder under Scenarios/ and Doc/

# The add-on's files, under DESTINATION, for one component; the further arguments go to
# every install() (EXCLUDE_FROM_ALL).
function(install_addon destination component)
  if(WIN32)  # the DLLs come from the build inside (cmake/MsvcModules.cmake)
    install(FILES ${ADDON_BUILD_DIR}/Modules/Spanrig.dll ${ADDON_BUILD_DIR}/Modules/Haulbed.dll
      DESTINATION ${destination}Modules COMPONENT ${component} ${ARGN})
  else()
    install(TARGETS Spanrig Haulbed LIBRARY DESTINATION ${destination}Modules COMPONENT ${component} ${ARGN})
  endif()
  install(FILES addon/Config/Vessels/Truss.cfg addon/Config/Vessels/Haulbed.cfg
    DESTINATION ${destination}Config/Vessels COMPONENT ${component} ${ARGN})
  install(DIRECTORY ${ADDON_BUILD_DIR}/Meshes/Truss DESTINATION ${destination}Meshes COMPONENT ${component} ${ARGN})
  install(DIRECTORY addon/Scenarios/${addon_folder} DESTINATION ${destination}Scenarios COMPONENT ${component} ${ARGN})
  install(DIRECTORY ${ADDON_BUILD_DIR}/Doc/${addon_folder} DESTINATION ${destination}Doc COMPONENT ${component} ${ARGN})
  install(FILES LICENSE DESTINATION ${destination}Doc/${addon_folder} RENAME LICENSE.txt COMPONENT ${component} ${ARGN})
  install(FILES CHANGELOG.md DESTINATION ${destination}Doc/${addon_folder} COMPONENT ${component} ${ARGN})
endfunction()

# On Linux, "cmake --install" into a prefix installs hostsim alone; the add-on's own
# archive asks for its component by name.
if(WIN32)
  install_addon("" addon)
else()
  install_addon("" addon EXCLUDE_FROM_ALL)
endif()
set(components addon)

if(NOT WIN32)
  include(GNUInstallDirs)
  install(TARGETS hostsim LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT hostsim)
  install(TARGETS hostsim_app RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT hostsim)
  set_target_properties(hostsim_app PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  install_addon(${CMAKE_INSTALL_DATADIR}/hostsim/ hostsim)
  install(FILES ${HOSTSIM_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT hostsim)
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/hostsim COMPONENT hostsim)
  list(APPEND components hostsim)
endif()

# One archive per component, named for the release and the platform, with no folder of its
# own around it: the add-on unpacks straight into the simulator's folder.
if(WIN32)
  math(EXPR bits "${CMAKE_SIZEOF_VOID_P} * 8")
  set(platform win${bits})  # the simulator's 64-bit or 32-bit build
  set(CPACK_GENERATOR ZIP)
else()
  set(platform linux-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_GENERATOR TGZ)
endif()
set(CPACK_PACKAGE_NAME Spanrig)
set(CPACK_PACKAGE_VENDOR "the Spanrig developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_COMPONENTS_ALL ${components})
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_ARCHIVE_ADDON_FILE_NAME Spanrig-${PROJECT_VERSION}-${platform})
set(CPACK_ARCHIVE_HOSTSIM_FILE_NAME hostsim-${PROJECT_VERSION}-${platform})
include(CPack)
