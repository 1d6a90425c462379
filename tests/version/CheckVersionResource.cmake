# Checks that a module carries the release's version resource (run as "cmake -P"):
#   FILE     the module (a DLL, or a Linux module with its resource image inside)
#   VERSION  the project's version, MAJOR.MINOR.PATCH
# Both numbers of the fixed part (file and product version) and the "FileVersion" and
# "ProductVersion" texts must say VERSION.

cmake_minimum_required(VERSION 3.25)

file(READ "${FILE}" bytes HEX)
string(REPLACE "." ";" parts "${VERSION}")
list(GET parts 0 major)
list(GET parts 1 minor)
list(GET parts 2 patch)

# A little-endian DWORD made of two 16-bit halves, as hex digits.
function(dword_hex high low out)
  math(EXPR value "(${high} << 16) | ${low}" OUTPUT_FORMAT HEXADECIMAL)
  string(REGEX REPLACE "^0x" "" value "${value}")
  string(LENGTH "${value}" length)
  math(EXPR pad "8 - ${length}")
  string(REPEAT "0" ${pad} zeros)
  set(value "${zeros}${value}")
  string(SUBSTRING "${value}" 6 2 b0)
  string(SUBSTRING "${value}" 4 2 b1)
  string(SUBSTRING "${value}" 2 2 b2)
  string(SUBSTRING "${value}" 0 2 b3)
  set(${out} "${b0}${b1}${b2}${b3}" PARENT_SCOPE)
endfunction()

# Text as UTF-16LE hex digits (ASCII only).
function(utf16_hex text out)
  set(hex "")
  string(LENGTH "${text}" length)
  math(EXPR last "${length} - 1")
  foreach(i RANGE ${last})
    string(SUBSTRING "${text}" ${i} 1 c)
    string(HEX "${c}" c)
    string(APPEND hex "${c}00")
  endforeach()
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

set(errors "")
# VS_FIXEDFILEINFO: signature, structure version 1.0, file version, product version.
dword_hex(${major} ${minor} ms)
dword_hex(${patch} 0 ls)
set(fixed "bd04effe00000100${ms}${ls}${ms}${ls}")
string(FIND "${bytes}" "${fixed}" at)
if(at EQUAL -1)
  string(APPEND errors "  no fixed version part with file and product version ${VERSION}.0\n")
endif()

# A string's value follows its key, padded to a DWORD boundary with zeros.
utf16_hex("${VERSION}" value)
foreach(key FileVersion ProductVersion)
  utf16_hex("${key}" key_hex)
  if(NOT bytes MATCHES "${key_hex}0000(0000)?${value}0000")
    string(APPEND errors "  no \"${key}\" text \"${VERSION}\"\n")
  endif()
endforeach()

if(errors)
  message(FATAL_ERROR "${FILE}:\n${errors}")
endif()
message(STATUS "${FILE}: version ${VERSION}")
