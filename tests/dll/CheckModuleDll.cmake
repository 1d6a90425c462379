# Checks a vessel module DLL from its headers, as the cross binutils read them
# (run as "cmake -P" on the build machine):
#   OBJDUMP  the cross objdump
#   DLL      the module
#   FORMAT   its file format, as objdump names it (pei-x86-64, pei-i386)
#   EXPORTS  the names it must export, and nothing else
#   DIALOGS  the numbers of the dialog resources it must hold
#   IMPORTS  "dll:name" pairs: the DLL must import a function whose (mangled) name
#            holds `name` from `dll`
#   SIMULATOR  the simulator's executable, the one DLL it may import from besides the
#            system's own
#   DECORATED  the interface's functions under the names the simulator exports them by
#            (cmake/InterfaceNames.cmake): every import from SIMULATOR must be one

cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} cannot read ${DLL}")
endif()
string(REPLACE ";" "\\;" dump "${dump}")
string(REPLACE "\n" ";" lines "${dump}")

set(errors "")
if(NOT dump MATCHES "file format ([^\n]+)\n" OR NOT CMAKE_MATCH_1 STREQUAL FORMAT)
  string(APPEND errors "  is no ${FORMAT} file\n")
endif()
set(exported "")
set(dlls "")
set(dialogs "")
set(section "")
set(current_dll "")
set(resource_type "")
foreach(line IN LISTS lines)
  if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
    set(section exports)
  elseif(line MATCHES "^The \\.rsrc Resource Directory section")
    set(section resources)
  elseif(line MATCHES "^The (Import|Export|Function) Table" OR line MATCHES "^PE File Base Relocations")
    set(section "")
  endif()

  if(line MATCHES "^\tDLL Name: (.+)$")
    set(current_dll "${CMAKE_MATCH_1}")
    list(APPEND dlls "${current_dll}")
  elseif(current_dll AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+  (.+)$")
    list(APPEND imported_${current_dll} "${CMAKE_MATCH_1}")
  elseif(line STREQUAL "")
    set(current_dll "")
  endif()

  if(section STREQUAL "exports" AND line MATCHES "^\t\\[ *[0-9]+\\] (.+)$")
    list(APPEND exported "${CMAKE_MATCH_1}")
  elseif(section STREQUAL "resources")
    # Resource directory entries, indented by their level: type, name, language.
    if(line MATCHES "^[0-9a-f]+   Entry: ID: 0x([0-9a-f]+),")
      math(EXPR resource_type "0x${CMAKE_MATCH_1}")
    elseif(resource_type EQUAL 5 AND line MATCHES "^[0-9a-f]+     Entry: ID: 0x([0-9a-f]+),")
      math(EXPR id "0x${CMAKE_MATCH_1}")
      list(APPEND dialogs ${id})
    endif()
  endif()
endforeach()

# Exactly the entry points.
list(SORT exported)
set(expected ${EXPORTS})
list(SORT expected)
if(NOT exported STREQUAL expected)
  string(APPEND errors "  exports are [${exported}], not [${expected}]\n")
endif()

# The dialogs, by number, as type DIALOG (5).
foreach(id IN LISTS DIALOGS)
  if(NOT id IN_LIST dialogs)
    string(APPEND errors "  no DIALOG resource ${id} (dialogs: [${dialogs}])\n")
  endif()
endforeach()

# Functions from where they must come.
foreach(pair IN LISTS IMPORTS)
  string(REPLACE ":" ";" pair "${pair}")
  list(GET pair 0 dll)
  list(GET pair 1 name)
  set(found FALSE)
  foreach(import IN LISTS imported_${dll})
    string(FIND "${import}" "${name}" at)
    if(NOT at EQUAL -1)
      set(found TRUE)
    endif()
  endforeach()
  if(NOT found)
    string(APPEND errors "  imports nothing named like ${name} from ${dll}\n")
  endif()
endforeach()

# No DLL beyond the system's and the allowed ones: no C++ runtime DLL, for one.
set(system_dlls kernel32.dll user32.dll gdi32.dll comctl32.dll msvcrt.dll ucrtbase.dll)
foreach(dll IN LISTS dlls)
  string(TOLOWER "${dll}" lower)
  if(NOT lower IN_LIST system_dlls AND NOT lower MATCHES "^api-ms-win-crt-" AND NOT dll STREQUAL SIMULATOR)
    string(APPEND errors "  needs ${dll}\n")
  endif()
endforeach()

# Nothing from the simulator but its interface, under its decorations.
file(STRINGS ${DECORATED} interface)
list(TRANSFORM interface REPLACE "^.*\t" "")
foreach(import IN LISTS imported_${SIMULATOR})
  if(NOT import IN_LIST interface)
    string(APPEND errors "  imports ${import} from ${SIMULATOR}, which is no function of the interface\n")
  endif()
endforeach()

if(errors)
  message(FATAL_ERROR "${DLL}:\n${errors}")
endif()
message(STATUS "${DLL}: exports [${exported}], dialogs [${dialogs}], DLLs [${dlls}]")
