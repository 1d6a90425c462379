# ERFA, the library that places the Sun, the planets and the Moon, as the target
# hostsim_erfa. Linux: Debian's package, found with pkg-config. Windows: Debian has no
# build of it, so its C sources come from Debian's source package, which
# scripts/install-deps.sh fetches into .deps/ (ignored by git), compiled here by the
# cross compiler as a static library.
if(TARGET hostsim_erfa)
  return()
endif()

if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(ERFA REQUIRED IMPORTED_TARGET erfa)
  add_library(hostsim_erfa INTERFACE)
  target_link_libraries(hostsim_erfa INTERFACE PkgConfig::ERFA)
  return()
endif()

enable_language(C)
file(GLOB erfa_archives ${CMAKE_SOURCE_DIR}/.deps/erfa_*.orig.tar.gz)
list(SORT erfa_archives)
list(POP_BACK erfa_archives erfa_archive)
if(NOT erfa_archive)
  message(FATAL_ERROR "ERFA's sources are missing: scripts/install-deps.sh fetches Debian's source package "
                      "into ${CMAKE_SOURCE_DIR}/.deps")
endif()
set(erfa_dir ${CMAKE_BINARY_DIR}/erfa)
if(NOT EXISTS ${erfa_dir}/unpacked-from.txt OR NOT "${erfa_archive}" STREQUAL "$CACHE{HOSTSIM_ERFA_UNPACKED}")
  file(REMOVE_RECURSE ${erfa_dir})
  file(ARCHIVE_EXTRACT INPUT ${erfa_archive} DESTINATION ${erfa_dir})
  file(WRITE ${erfa_dir}/unpacked-from.txt "${erfa_archive}\n")
  set(HOSTSIM_ERFA_UNPACKED "${erfa_archive}" CACHE INTERNAL "The ERFA source archive unpacked in the build")
endif()
file(GLOB erfa_src_dir LIST_DIRECTORIES true ${erfa_dir}/erfa-*/src)
# Every routine but the test programs and the version query, which needs the
# configure step's header.
file(GLOB erfa_sources ${erfa_src_dir}/*.c)
list(FILTER erfa_sources EXCLUDE REGEX "/(t_erfa_c[^/]*|erfaversion)\\.c$")
add_library(hostsim_erfa STATIC ${erfa_sources})
target_include_directories(hostsim_erfa SYSTEM PUBLIC ${erfa_src_dir})
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${erfa_archive})
