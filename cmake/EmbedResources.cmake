# Run by add_module_resources (ModuleResources.cmake) as "cmake -P": writes a C++
# source holding one record of a module's resource section, and a dependency file
# that names the script and the headers it includes.
#   SCRIPT   the resource script
#   OUTPUT   the C++ source to write
#   DEPFILE  the dependency file to write
#   SECTION  the section's name
#
# The record is text: "HOSTSIM RESOURCES 1", then for each file "file SIZE NAME",
# its bytes and a line break, the script first, then "end". A header is named as
# its #include line names it.

cmake_minimum_required(VERSION 3.25)

# Headers of the window system, which the host knows without their text.
set(system_headers windows.h winres.h winresrc.h afxres.h commctrl.h winuser.h richedit.h winver.h)

get_filename_component(script_dir "${SCRIPT}" DIRECTORY)
get_filename_component(script_name "${SCRIPT}" NAME)

# The script and every header it includes, found beside the including file or the script.
set(names "${script_name}")
set(paths "${SCRIPT}")
set(queue "${SCRIPT}")
while(queue)
  list(POP_FRONT queue current)
  get_filename_component(current_dir "${current}" DIRECTORY)
  file(STRINGS "${current}" include_lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
  foreach(line IN LISTS include_lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" name "${line}")
    if(name IN_LIST names)
      continue()
    endif()
    set(found "")
    foreach(base IN ITEMS "${current_dir}" "${script_dir}")
      if(NOT found AND EXISTS "${base}/${name}")
        set(found "${base}/${name}")
      endif()
    endforeach()
    if(NOT found)
      get_filename_component(base_name "${name}" NAME)
      string(TOLOWER "${base_name}" base_name)
      if(base_name IN_LIST system_headers)
        continue()
      endif()
      message(FATAL_ERROR "${current}: included file \"${name}\" not found")
    endif()
    list(APPEND names "${name}")
    list(APPEND paths "${found}")
    list(APPEND queue "${found}")
  endforeach()
endwhile()

string(HEX "HOSTSIM RESOURCES 1\n" hex)
list(LENGTH names count)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  list(GET names ${i} name)
  list(GET paths ${i} path)
  file(SIZE "${path}" size)
  string(HEX "file ${size} ${name}\n" head)
  file(READ "${path}" body HEX)
  string(APPEND hex "${head}${body}0a")
endforeach()
string(HEX "end\n" tail)
string(APPEND hex "${tail}")

string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x..," 16 sixteen)
string(REGEX REPLACE "(${sixteen})" "\\1\n    " bytes "${bytes}")

file(WRITE "${OUTPUT}" "// Made by the build from ${script_name} and the headers it includes; do not edit.
// The host reads this section from the module's file to build the module's dialogs.
namespace {
[[gnu::used, gnu::retain, gnu::section(\"${SECTION}\")]] const unsigned char resourceRecord[] = {
    ${bytes}
};
}  // namespace
")

set(deps "")
foreach(path IN LISTS paths)
  string(REPLACE " " "\\ " path "${path}")
  string(APPEND deps " ${path}")
endforeach()
string(REPLACE " " "\\ " target "${OUTPUT}")
file(WRITE "${DEPFILE}" "${target}:${deps}\n")
