# The vessel modules as the simulator's compiler lays them out: clang for the
# ARCH-pc-windows-msvc target (Microsoft's decorated names, virtual-table layout and
# calling conventions), linked by lld-link. Debian has no Microsoft C or C++ library, so
# the modules compile against Wine's C runtime and Windows headers (libwine-dev), which
# host/msvc completes, and libc++'s headers (libc++-14-dev) used without its library;
# host/MsvcRuntime.cpp supplies what Microsoft's static runtime would. They link against
# the system's DLLs only (Wine's import libraries of them, libwine-dev:i386's for 32-bit)
# and the simulator's. Included by clang-msvc-x86_64.cmake and clang-msvc-i686.cmake,
# which set HOSTSIM_WINDOWS_ARCH.
set(CMAKE_SYSTEM_NAME Windows)
if(HOSTSIM_WINDOWS_ARCH STREQUAL "x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
  set(wine_arch x86_64)
  set(wine_multiarch x86_64-linux-gnu)
  set(dlltool_machine i386:x86-64)
elseif(HOSTSIM_WINDOWS_ARCH STREQUAL "i686")
  set(CMAKE_SYSTEM_PROCESSOR X86)
  set(wine_arch i386)
  set(wine_multiarch i386-linux-gnu)
  set(dlltool_machine i386)
else()
  message(FATAL_ERROR "HOSTSIM_WINDOWS_ARCH is \"${HOSTSIM_WINDOWS_ARCH}\": x86_64 or i686")
endif()

set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_CXX_COMPILER_TARGET ${HOSTSIM_WINDOWS_ARCH}-pc-windows-msvc)
set(CMAKE_LINKER lld-link-14)
set(CMAKE_DLLTOOL llvm-dlltool-14 CACHE FILEPATH "The import-library tool")
set(HOSTSIM_DLLTOOL_MACHINE ${dlltool_machine})
# No C++ library to link a test program against: the compiler check builds a library.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(WINE_INCLUDE /usr/include/wine/wine)
set(WINE_PE_LIBRARIES /usr/lib/${wine_multiarch}/wine/${wine_arch}-windows)
set(LIBCXX_INCLUDE /usr/lib/llvm-14/include/c++/v1)
foreach(dir ${WINE_INCLUDE}/msvcrt ${WINE_INCLUDE}/windows ${LIBCXX_INCLUDE} ${WINE_PE_LIBRARIES})
  if(NOT EXISTS ${dir})
    message(FATAL_ERROR "${dir} is missing (scripts/install-deps.sh installs libwine-dev, libwine-dev:i386 and libc++-14-dev)")
  endif()
endforeach()

# libc++ as headers only: no vcruntime and no threads beneath it, every template
# instantiated where it is used, nothing imported from a libc++ DLL.
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -D_LIBCPP_NO_VCRUNTIME -D_LIBCPP_HAS_NO_THREADS \
-D_LIBCPP_DISABLE_EXTERN_TEMPLATE -D_LIBCPP_DISABLE_VISIBILITY_ANNOTATIONS")
if(HOSTSIM_WINDOWS_ARCH STREQUAL "i686")
  # Floating point in SSE2 registers: Microsoft's compiler does so for 32-bit code by
  # default (/arch:SSE2), clang for i686 does not.
  string(APPEND CMAKE_CXX_FLAGS_INIT " -msse2")
endif()
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${LIBCXX_INCLUDE} ${CMAKE_CURRENT_LIST_DIR}/../host/msvc
    ${WINE_INCLUDE}/msvcrt ${WINE_INCLUDE}/windows)
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib -Xlinker /nodefaultlib")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib -Xlinker /nodefaultlib")
if(HOSTSIM_WINDOWS_ARCH STREQUAL "i686")
  # 32-bit images list their safe exception handlers only when every object says which
  # it has; Wine's import libraries do not say, and the modules have none (no exceptions).
  string(APPEND CMAKE_SHARED_LINKER_FLAGS_INIT " -Xlinker /safeseh:no")
  string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Xlinker /safeseh:no")
endif()
set(MSVC_SYSTEM_LIBRARIES ${WINE_PE_LIBRARIES}/libucrtbase.a ${WINE_PE_LIBRARIES}/libkernel32.a
    ${WINE_PE_LIBRARIES}/libuser32.a ${WINE_PE_LIBRARIES}/libgdi32.a ${WINE_PE_LIBRARIES}/libcomctl32.a)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# Each target names the system libraries it links; none by default.
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "Libraries linked into every program and DLL")
