# Cross-building hostsim.exe for Windows with Debian's mingw-w64 toolchain
# (g++-mingw-w64-ARCH, binutils-mingw-w64-ARCH, mingw-w64-ARCH-dev), against the
# platform's real windows.h and commctrl.h. Included by mingw-w64-x86_64.cmake and
# mingw-w64-i686.cmake, which set HOSTSIM_WINDOWS_ARCH (x86_64 or i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${HOSTSIM_WINDOWS_ARCH})

set(MINGW_TRIPLET ${HOSTSIM_WINDOWS_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
set(CMAKE_DLLTOOL ${MINGW_TRIPLET}-dlltool CACHE FILEPATH "The cross import-library tool")
set(CMAKE_OBJDUMP ${MINGW_TRIPLET}-objdump CACHE FILEPATH "The cross object dumper")
if(HOSTSIM_WINDOWS_ARCH STREQUAL "i686")
  # Floating point in SSE2 registers, as the simulator's compiler does for 32-bit code
  # and as every 64-bit build does: GCC's default for i686, the x87 unit, rounds through
  # 80 bits and would compute other values than the Linux build and the modules.
  set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
  set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
endif()

# Libraries and headers come from the target's tree; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
