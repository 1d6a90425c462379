# The modules for 32-bit Windows, as the simulator's compiler lays them out.
set(HOSTSIM_WINDOWS_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/clang-msvc.cmake)
