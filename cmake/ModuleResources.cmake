# Dialog resources of a vessel module.
#
#   add_module_resources(<module target> <script.rc>)
#
# carries the resource script, with every header that it includes by a quoted
# #include (such as its control-id header), inside the module's shared library, in
# the section ".hostsim.resources". When a dialog is made from the module's instance
# handle and a resource number (the editor does so for each page record), the host
# reads that section from the module's file and builds the dialog from the script,
# as the window system does from a module's compiled resources. Nothing is exported:
# the section holds one static array per script, so the module's dynamic symbols
# stay its entry points.
#
# A relative path is taken from the folder of the calling CMakeLists.txt. Call it
# once per script; a module may carry several. For example, in truss/CMakeLists.txt:
#
#   add_module_resources(Spanrig Spanrig.rc)
#
# The script may use the window system's style names (WS_, DS_, BS_, ES_, SS_, CBS_,
# LBS_, UDS_), IDC_STATIC and the standard ids; #include of <windows.h>, "winres.h",
# "afxres.h" or <commctrl.h> is allowed and supplies nothing else. Changing the
# script or any header it includes rebuilds the module.

set(HOSTSIM_RESOURCE_SECTION ".hostsim.resources")
set(HOSTSIM_EMBED_RESOURCES ${CMAKE_CURRENT_LIST_DIR}/EmbedResources.cmake)

function(add_module_resources target script)
  get_filename_component(script_path "${script}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")

  # Windows: the resource compiler (windres) compiles the script, and its resources
  # are linked into the module, where the window system finds them by the module's
  # instance handle. The headers the script includes by a quoted #include, found
  # beside it, make its object out of date when they change.
  if(WIN32)
    target_sources(${target} PRIVATE "${script_path}")
    get_filename_component(script_dir "${script_path}" DIRECTORY)
    file(STRINGS "${script_path}" include_lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
    foreach(line IN LISTS include_lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" header "${line}")
      if(EXISTS "${script_dir}/${header}")
        set_property(SOURCE "${script_path}" APPEND PROPERTY OBJECT_DEPENDS "${script_dir}/${header}")
      endif()
    endforeach()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${script_path}")
    return()
  endif()

  get_filename_component(script_name "${script_path}" NAME_WE)
  set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_${script_name}_resources.cpp")
  add_custom_command(OUTPUT "${out}"
    COMMAND ${CMAKE_COMMAND} "-DSCRIPT=${script_path}" "-DOUTPUT=${out}" "-DDEPFILE=${out}.d"
            "-DSECTION=${HOSTSIM_RESOURCE_SECTION}" -P "${HOSTSIM_EMBED_RESOURCES}"
    DEPENDS "${script_path}" "${HOSTSIM_EMBED_RESOURCES}"
    DEPFILE "${out}.d"
    COMMENT "Carrying ${script_name} resources inside ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE "${out}")
endfunction()
