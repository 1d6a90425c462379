# hostsim.exe for 32-bit Windows (preset windows32).
set(HOSTSIM_WINDOWS_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
