# Writes the export list of Orbiter.exe, the host engine on Windows (run as "cmake -P"):
# every function of the interface under Microsoft's decoration, which the modules import,
# bound to the engine's own definition of it under GCC's name. A constructor is bound to
# the engine's bridge for it (hostsimConstruct<Class>), since a constructor built by
# Microsoft's compiler hands `this` back and GCC's does not. The engine's own names
# stand as in the source, without the "_" that 32-bit objects put before every name but
# a Microsoft decoration: the linker adds it (cmake/InterfaceNames.cmake leaves it out).
#
#   DECORATED  the interface under Microsoft's names (cmake/InterfaceNames.cmake)
#   GNU        the same under GCC's names
#   EXTRA      further exports of the engine, by their own names
#   OUT        the .def file
cmake_minimum_required(VERSION 3.25)

function(read_names file prefix)
  file(STRINGS ${file} lines)
  set(keys "")
  foreach(line IN LISTS lines)
    string(FIND "${line}" "\t" tab)
    string(SUBSTRING "${line}" 0 ${tab} key)
    math(EXPR start "${tab} + 1")
    string(SUBSTRING "${line}" ${start} -1 name)
    string(MD5 id "${key}")
    set(${prefix}_${id} "${name}" PARENT_SCOPE)
    set(key_${id} "${key}" PARENT_SCOPE)
    list(APPEND keys ${id})
  endforeach()
  set(${prefix}_keys ${keys} PARENT_SCOPE)
endfunction()

read_names(${DECORATED} msvc)
read_names(${GNU} gnu)

set(text "LIBRARY Orbiter.exe\nEXPORTS\n")
foreach(name IN LISTS EXTRA)
  string(APPEND text "  ${name}\n")
endforeach()
foreach(id IN LISTS msvc_keys)
  if(NOT DEFINED gnu_${id})
    message(FATAL_ERROR "${key_${id}} has no GCC name in ${GNU}")
  endif()
  if(msvc_${id} MATCHES "^\\?\\?0([A-Za-z0-9_]+)@@")
    set(target "hostsimConstruct${CMAKE_MATCH_1}")
  else()
    set(target "${gnu_${id}}")
  endif()
  string(APPEND text "  \"${msvc_${id}}\" = ${target}\n")
endforeach()
file(WRITE ${OUT}.new "${text}")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
