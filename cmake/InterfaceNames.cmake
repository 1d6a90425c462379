# Lists the interface's functions under the names a compiler gives them, from the
# headers themselves (run as "cmake -P"): clang dumps the declarations of sdk/include and
# host/ModuleBinding.h for the target, and host/InterfaceDeclarations.jq picks out those a
# module imports. The window system's headers go into a precompiled header first, so
# that the dump holds the interface's own declarations only.
#
#   CLANG      clang++
#   TRIPLE     the target triple (ARCH-pc-windows-msvc: Microsoft's decorated names)
#   INCLUDES   the target's system header folders, in search order
#   SOURCE     the project's source folder
#   WORK       a folder for the dump
#   OUT        the list: "Class::name type", a tab, the name; sorted
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${CLANG} -print-resource-dir OUTPUT_VARIABLE resource OUTPUT_STRIP_TRAILING_WHITESPACE)
set(flags --target=${TRIPLE} -std=c++20 -nostdinc -isystem ${resource}/include)
foreach(dir IN LISTS INCLUDES)
  list(APPEND flags -isystem ${dir})
endforeach()
list(APPEND flags -I${SOURCE}/sdk/include -I${SOURCE}/host)

file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/windows.h "#include <windows.h>\n")
file(WRITE ${WORK}/interface.cpp "#include \"Orbitersdk.h\"\n#include \"ScnEditorAPI.h\"\n#include \"ModuleBinding.h\"\n")
execute_process(COMMAND ${CLANG} ${flags} -x c++-header ${WORK}/windows.h -o ${WORK}/windows.pch
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "clang cannot compile windows.h for ${TRIPLE}")
endif()
execute_process(COMMAND ${CLANG} ${flags} -include-pch ${WORK}/windows.pch -fsyntax-only -Xclang -ast-dump=json
  ${WORK}/interface.cpp OUTPUT_FILE ${WORK}/interface.json RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "clang cannot read the interface headers for ${TRIPLE}")
endif()

# Itanium names (GCC's, mingw's) start with _Z, Microsoft's decorations with ?. In
# 32-bit x86 objects every symbol but a Microsoft decoration carries a leading "_".
if(TRIPLE MATCHES "msvc$")
  set(prefix "?")
else()
  set(prefix "_Z")
endif()
if(TRIPLE MATCHES "^i[3-6]86-" AND NOT TRIPLE MATCHES "msvc$")
  set(underscore "_")
else()
  set(underscore "")
endif()
execute_process(COMMAND jq -r --arg prefix ${prefix} --arg underscore "${underscore}" -f ${SOURCE}/host/InterfaceDeclarations.jq
  ${WORK}/interface.json OUTPUT_VARIABLE lines RESULT_VARIABLE failed)
if(failed OR NOT lines)
  message(FATAL_ERROR "jq found no interface functions in ${WORK}/interface.json")
endif()
string(REPLACE ";" "\\;" lines "${lines}")
string(REPLACE "\n" ";" lines "${lines}")
list(REMOVE_ITEM lines "")
list(SORT lines)
list(JOIN lines "\n" text)
file(WRITE ${OUT}.new "${text}\n")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
