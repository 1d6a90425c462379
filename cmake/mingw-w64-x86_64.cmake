# hostsim.exe for 64-bit Windows (preset windows).
set(HOSTSIM_WINDOWS_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
