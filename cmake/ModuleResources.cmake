# Dialog resources of a vessel module.
#
#   add_module_resources(<module target> <script.rc>)
#
# compiles the resource script with the window system's resource compiler (mingw-w64's
# windres, preprocessing with mingw-w64's own windows.h, never with our sdk/ stand-in)
# into the binary resource format, and carries that image inside the module's shared
# library, in the section ".hostsim.resources". When a dialog is made from the module's
# instance handle and a resource number (the editor does so for each page record), the
# host reads that section from the module's file and builds the dialog from the binary
# template, as the window system does from the resources linked into a module.
#
# The image is pulled in by the assembler (.incbin), so no symbol is added: the module's
# dynamic symbols stay its entry points. Several scripts of one module follow each other
# in the section; every image is a whole number of DWORDs, so they stay aligned.
#
# On Windows the script is compiled by the cross build's resource compiler and linked
# into the DLL instead, as the simulator's own modules carry their resources.
#
# A relative path is taken from the folder of the calling CMakeLists.txt, which is
# searched first for the script's own headers; then host/ (the version resource that
# every module carries, ModuleVersion.rc) and the build's generated headers. The script must define what it
# uses beyond windows.h, e.g. IDC_STATIC by including <winres.h>. Changing the script or
# any header it includes rebuilds the module (the preprocessor writes the dependencies).

set(HOSTSIM_RESOURCE_SECTION ".hostsim.resources")

find_program(HOSTSIM_WINDRES x86_64-w64-mingw32-windres)
find_program(HOSTSIM_WINDRES_PREPROCESSOR x86_64-w64-mingw32-gcc)
if(NOT HOSTSIM_WINDRES OR NOT HOSTSIM_WINDRES_PREPROCESSOR)
  message(FATAL_ERROR "Module resources need x86_64-w64-mingw32-windres and x86_64-w64-mingw32-gcc "
                      "(scripts/install-deps.sh installs them)")
endif()

function(add_module_resources target script)
  get_filename_component(script_path "${script}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  get_filename_component(script_dir "${script_path}" DIRECTORY)
  get_filename_component(script_name "${script_path}" NAME_WE)
  set(res "${CMAKE_CURRENT_BINARY_DIR}/${target}_${script_name}.res")
  # windres finds its preprocessor (x86_64-w64-mingw32-gcc -E -DRC_INVOKED) by its own name.
  add_custom_command(OUTPUT "${res}"
    COMMAND "${HOSTSIM_WINDRES}" -J rc -O res "-I${script_dir}" "-I${CMAKE_SOURCE_DIR}/host" "-I${HOSTSIM_GENERATED_DIR}"
            --preprocessor-arg=-MD --preprocessor-arg=-MF "--preprocessor-arg=${res}.d"
            --preprocessor-arg=-MT "--preprocessor-arg=${res}"
            -i "${script_path}" -o "${res}"
    DEPENDS "${script_path}"
    DEPFILE "${res}.d"
    COMMENT "Compiling ${script_name}.rc for ${target}"
    VERBATIM)

  # Windows: the compiled resources are linked into the module, where the window system
  # finds them by the module's instance handle.
  if(WIN32)
    set_source_files_properties("${res}" PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
    target_sources(${target} PRIVATE "${res}")
    return()
  endif()

  set(carrier "${CMAKE_CURRENT_BINARY_DIR}/${target}_${script_name}_resources.cpp")

  # The image goes into an allocated section that the linker keeps even if it ever
  # collects unused sections.
  file(CONFIGURE OUTPUT "${carrier}" CONTENT
"// Made by the build; do not edit. Carries ${script_name}.rc, compiled, in ${target}'s resource section.
asm(\".pushsection ${HOSTSIM_RESOURCE_SECTION}, \\\"aR\\\", @progbits\\n\"
    \".p2align 2\\n\"
    \".incbin \\\"${res}\\\"\\n\"
    \".popsection\\n\");
" @ONLY)
  set_source_files_properties("${carrier}" PROPERTIES OBJECT_DEPENDS "${res}")
  target_sources(${target} PRIVATE "${carrier}")
endfunction()
