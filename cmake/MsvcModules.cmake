# The windows build's modules: Spanrig.dll and Haulbed.dll as the simulator loads them,
# built by clang for the msvc target (cmake/clang-msvc.cmake) in a build of their
# own, build/PRESET/msvc, from this source tree, into this build's addon tree. The test
# programs built the same way (tests/msvc) go to build/PRESET/msvc/tests/msvc.
include(ExternalProject)
set(HOSTSIM_MSVC_BUILD ${CMAKE_BINARY_DIR}/msvc)
ExternalProject_Add(msvc_modules
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${HOSTSIM_MSVC_BUILD}
  CMAKE_GENERATOR Ninja
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/clang-msvc-${HOSTSIM_WINDOWS_ARCH}.cmake
             -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DADDON_BUILD_DIR=${ADDON_BUILD_DIR}
             -DHOSTSIM_BUILD_TESTS=${HOSTSIM_BUILD_TESTS} -DHOSTSIM_BUILD_BENCH=OFF
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  USES_TERMINAL_BUILD ON)
# The modules' own decoration list, from which their import library is made.
set(HOSTSIM_MODULE_DECORATED_NAMES ${HOSTSIM_MSVC_BUILD}/host/interface-decorated.txt)
