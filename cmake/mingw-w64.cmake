# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads, for
# std::thread and std::mutex), statically linked so the executables need no
# runtime DLLs beside them. Libraries built for Windows are looked up only in
# the MinGW root and in ZAVIN_WINDOWS_DEPS (scripts/build-windows.sh puts its
# cross-built GEOS, dxflib and GoogleTest there), never in the Linux system.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# ZAVIN_WINDOWS_DEPS: the prefix of the cross-built libraries; pkg-config
# sees only its .pc files.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZAVIN_WINDOWS_DEPS)
if(ZAVIN_WINDOWS_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${ZAVIN_WINDOWS_DEPS})
  set(ENV{PKG_CONFIG_LIBDIR} ${ZAVIN_WINDOWS_DEPS}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
