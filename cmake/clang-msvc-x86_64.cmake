# The modules for 64-bit Windows, as the simulator's compiler lays them out.
set(HOSTSIM_WINDOWS_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/clang-msvc.cmake)
