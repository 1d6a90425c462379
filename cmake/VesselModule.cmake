# A vessel module: a shared library named after the deliverable, built into the addon
# tree's Modules folder, exporting its seven entry points and nothing else.
#
#   add_vessel_module(<name> SOURCES <source>... [ENTRY <object library>])
#
# ENTRY is the entry layer's object library (host_module_entry unless given). Every
# platform-specific step of making a module lives here and in host/'s process entry.

function(add_vessel_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;ENTRY" ${ARGN})
  if(NOT ARG_ENTRY)
    set(ARG_ENTRY host_module_entry)
  endif()
  add_library(${name} SHARED ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${ADDON_BUILD_DIR}/Modules)
  target_link_libraries(${name} PRIVATE ${ARG_ENTRY} host_process_entry sdk addon_version)
  target_compile_options(${name} PRIVATE ${PROJECT_WARNINGS})

  if(WIN32)
    # Windows, built by clang for the msvc target (the windows build's modules): the
    # simulator's functions are imported from its executable; the .def names the exports;
    # the entry point and what Microsoft's static runtime would add are the module's own
    # (host/MsvcRuntime.cpp), so that it needs no DLL beyond the system's.
    target_link_libraries(${name} PRIVATE host_msvc_runtime orbiter_imports ${MSVC_SYSTEM_LIBRARIES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ADDON_BUILD_DIR}/Modules)
    target_sources(${name} PRIVATE ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/module-exports.def)
    target_link_options(${name} PRIVATE -Xlinker /entry:_DllMainCRTStartup)
    return()
  endif()

  # Linux: linked against the host library the way a module links against the
  # simulator's import library, by its file only, so that no host header is visible
  # to the module; a version script keeps every other symbol local.
  set_target_properties(${name} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    BUILD_RPATH $<TARGET_FILE_DIR:hostsim>)
  target_link_libraries(${name} PRIVATE $<TARGET_FILE:hostsim>)
  add_dependencies(${name} hostsim)
  set(exports ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/module-exports.map)
  target_link_options(${name} PRIVATE -Wl,--version-script=${exports})
  # Clang links a sanitizer's runtime into executables only: a module's references to
  # it are resolved by the program that loads it, so they cannot be checked here.
  if(NOT (CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND CMAKE_CXX_FLAGS MATCHES "-fsanitize="))
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  endif()
  set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${exports})
  # Modules must really unload on dlclose, so that their unload entry runs then.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${name} PRIVATE -fno-gnu-unique)
  endif()
endfunction()
